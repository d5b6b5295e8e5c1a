! logk in-process for Fortran: the C interface of logk.h, declared with
! ISO_C_BINDING, in standard Fortran 2008 (gfortran -std=f2008). A table is
! a type(c_ptr); a table of values in Fortran is an array values(36, 37),
! temperature first, which is the file's order. A set of tables is a
! type(c_ptr) too; its log K and slopes for n points are arrays
! lk(count, n), a point's tables side by side, as the C interface lays
! them out. Outputs may be left out by keyword (lk=lk, pterr=pterr): the
! module's procedures pass C's NULL for what is left out, as the BIND(C)
! interfaces below them take addresses. Paths end with c_null_char:
! trim(path) // c_null_char.
!
! `workers`, on every call that takes it, is read as logk.h states it for
! every face: 1 the calling thread alone (the default), k up to k threads,
! 0 and -1 every core, -k every core but k - 1; a value that leaves no
! thread is refused. logk.h says the rest (one pool of threads, small
! calls and OpenMP regions on the calling thread, the same bits whatever
! the number).
!
! The calls that take `workers` or a stop check give an optional `status`:
! LOGK_DONE, LOGK_STOPPED (the stop check ended the call), LOGK_REFUSED (no
! output changed) or LOGK_NO_MEMORY. Where it is left out, a status other
! than LOGK_DONE ends the program (error stop) with the library's words on
! the standard error.
module logk
  use, intrinsic :: iso_c_binding, only: c_char, c_double, c_f_pointer, c_funloc, c_funptr, c_int, c_long_long, c_loc, &
                                         c_null_char, c_null_funptr, c_null_ptr, c_ptr, c_size_t
  use, intrinsic :: iso_fortran_env, only: error_unit
  implicit none
  private
  public :: logk_error, logk_place, logk_table_load, logk_table_from_values, logk_table_free, logk_interpolate, logk_slopes
  public :: logk_table_set_from_tables, logk_table_set_from_values, logk_table_set_count, logk_table_set_free
  public :: logk_table_set_interpolate, logk_table_set_slopes, logk_temperature_at, logk_pressure_at
  public :: logk_version, logk_build, logk_build_note, logk_workers_threads, logk_stop_check
  public :: logk_read_notes, logk_table_read, logk_solve_temperature, logk_solve_pressure
  public :: LOGK_DONE, LOGK_STOPPED, LOGK_REFUSED, LOGK_NO_MEMORY
  public :: LOGK_CROSSED, LOGK_JUMPED, LOGK_ROUNDING, LOGK_NOT_REACHED
  public :: logk_table_from_grid, logk_table_pressures, logk_table_temperatures

  ! What a call that takes `workers` or a stop check did:
  integer, parameter :: LOGK_DONE = 0       ! every point
  integer, parameter :: LOGK_STOPPED = 1    ! the stop check stopped it: the points before `done` have every output
  integer, parameter :: LOGK_REFUSED = 2    ! workers leaves no thread: no output changed
  integer, parameter :: LOGK_NO_MEMORY = 3  ! memory ran out copying inputs that outputs lie over

  ! How the interpolation backwards found its answer (`how`):
  character(kind=c_char), parameter :: LOGK_CROSSED = 'C'      ! log K crosses the value inside one stencil, or takes it
  character(kind=c_char), parameter :: LOGK_JUMPED = 'J'       ! log K jumps over it where the stencil changes
  character(kind=c_char), parameter :: LOGK_ROUNDING = 'R'     ! rounding decides (see logk_temperature_at)
  character(kind=c_char), parameter :: LOGK_NOT_REACHED = 'N'  ! not reached in the range: the answer is NaN

  character(len=*), parameter :: kShape = &
    'logk_table_from_grid: values(n, m) must hold n = size(temperatures) values for each of m = size(pressures)'

  ! number: the program's message number; text: its message, ended by c_null_char.
  type, bind(c) :: logk_error
    integer(c_int) :: number
    character(kind=c_char) :: text(1024)
  end type logk_error

  ! Where a read stopped: the line, from 1 (0 if it read none), and the
  ! column in it (0 at the end of the file, or where the system refused).
  type, bind(c) :: logk_place
    integer(c_long_long) :: line, column
  end type logk_place

  ! What a table file holds that its reading passes over without a failure,
  ! each line from 1 or 0 for none: the first line holding values past the
  ! 36th of its row (and how many it holds), the first holding a null value
  ! (",," or "/": a cell left at 0.0), and the first after the 37 rows that
  ! holds values (a header of 36 temperatures on top leaves the last row
  ! there). Each may mean the file is not the table that was meant.
  type, bind(c) :: logk_read_notes
    integer(c_long_long) :: past_row_line, past_row_values
    integer(c_long_long) :: null_line
    integer(c_long_long) :: after_table_line
  end type logk_read_notes

  ! The C library's options of a call: built here from the optional
  ! arguments, never by the caller.
  type, bind(c) :: logk_options
    integer(c_int) :: workers
    type(c_funptr) :: stop
    type(c_ptr) :: context
  end type logk_options

  abstract interface
    ! A caller's stop check: a function of this interface, BIND(C), given
    ! to a call as stop=check, with context=c_loc(x) (c_null_ptr where left
    ! out) passed to it as given. A nonzero answer stops the call. It is
    ! asked on the calling thread, between chunks of the work (about a
    ! millisecond each) and every 50 ms while a read waits on a pipe.
    function logk_stop_check(context) bind(c) result(stop)
      import :: c_int, c_ptr
      type(c_ptr), value :: context
      integer(c_int) :: stop
    end function logk_stop_check
  end interface

  interface
    function c_version() bind(c, name='logk_version') result(text)
      import :: c_ptr
      type(c_ptr) :: text
    end function c_version

    function c_build() bind(c, name='logk_build') result(text)
      import :: c_ptr
      type(c_ptr) :: text
    end function c_build

    function c_build_note() bind(c, name='logk_build_note') result(text)
      import :: c_ptr
      type(c_ptr) :: text
    end function c_build_note

    function c_status_text(status) bind(c, name='logk_status_text') result(text)
      import :: c_int, c_ptr
      integer(c_int), value :: status
      type(c_ptr) :: text
    end function c_status_text

    function c_strlen(text) bind(c, name='strlen') result(length)
      import :: c_ptr, c_size_t
      type(c_ptr), value :: text
      integer(c_size_t) :: length
    end function c_strlen

    function c_workers_threads(workers, error) bind(c, name='logk_workers_threads') result(threads)
      import :: c_int, c_ptr
      integer(c_int), value :: workers
      type(c_ptr), value :: error
      integer(c_int) :: threads
    end function c_workers_threads

    function c_table_load(path, error, place) bind(c, name='logk_table_load_at') result(table)
      import :: c_char, c_ptr
      character(kind=c_char), intent(in) :: path(*)
      type(c_ptr), value :: error, place
      type(c_ptr) :: table
    end function c_table_load

    function c_table_read(path, options, error, place, notes) bind(c, name='logk_table_read') result(table)
      import :: c_char, c_ptr
      character(kind=c_char), intent(in) :: path(*)
      type(c_ptr), value :: options, error, place, notes
      type(c_ptr) :: table
    end function c_table_read

    function c_table_from_values(values, error) bind(c, name='logk_table_from_values') result(table)
      import :: c_double, c_ptr
      real(c_double), intent(in) :: values(36, 37)
      type(c_ptr), value :: error
      type(c_ptr) :: table
    end function c_table_from_values

    function c_table_from_grid(n_pressures, pressures, n_temperatures, temperatures, values, error) &
        bind(c, name='logk_table_from_grid') result(table)
      import :: c_double, c_ptr, c_size_t
      integer(c_size_t), value :: n_pressures, n_temperatures
      real(c_double), intent(in) :: pressures(*), temperatures(*), values(*)
      type(c_ptr), value :: error
      type(c_ptr) :: table
    end function c_table_from_grid

    subroutine c_table_nodes(table, pressures, n_pressures, temperatures, n_temperatures) &
        bind(c, name='logk_table_nodes')
      import :: c_ptr, c_size_t
      type(c_ptr), value :: table
      type(c_ptr), intent(out) :: pressures, temperatures
      integer(c_size_t), intent(out) :: n_pressures, n_temperatures
    end subroutine c_table_nodes

    subroutine logk_table_free(table) bind(c, name='logk_table_free')
      import :: c_ptr
      type(c_ptr), value :: table
    end subroutine logk_table_free

    function c_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, workers) &
        bind(c, name='logk_interpolate_workers') result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: lk, pidx, tidx, isoerr, pterr
      integer(c_int), value :: workers
      integer(c_int) :: status
    end function c_interpolate

    function c_slopes(table, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_slopes_workers') result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: dlk_dT, dlk_dP
      integer(c_int), value :: workers
      integer(c_int) :: status
    end function c_slopes

    subroutine c_temperature_at(table, n, P, lk, T_low, T_high, T, how) bind(c, name='logk_temperature_at')
      import :: c_double, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), lk(*)
      real(c_double), value :: T_low, T_high
      real(c_double), intent(out) :: T(*)
      type(c_ptr), value :: how
    end subroutine c_temperature_at

    subroutine c_pressure_at(table, n, T, lk, P_low, P_high, P, how) bind(c, name='logk_pressure_at')
      import :: c_double, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: T(*), lk(*)
      real(c_double), value :: P_low, P_high
      real(c_double), intent(out) :: P(*)
      type(c_ptr), value :: how
    end subroutine c_pressure_at

    function c_solve_temperature(table, n, P, lk, T_low, T_high, T, how, options, done) &
        bind(c, name='logk_solve_temperature') result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), lk(*)
      real(c_double), value :: T_low, T_high
      real(c_double), intent(inout) :: T(*)
      type(c_ptr), value :: how, options, done
      integer(c_int) :: status
    end function c_solve_temperature

    function c_solve_pressure(table, n, T, lk, P_low, P_high, P, how, options, done) &
        bind(c, name='logk_solve_pressure') result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: T(*), lk(*)
      real(c_double), value :: P_low, P_high
      real(c_double), intent(inout) :: P(*)
      type(c_ptr), value :: how, options, done
      integer(c_int) :: status
    end function c_solve_pressure

    function c_table_set_from_tables(tables, count, error) bind(c, name='logk_table_set_from_tables') result(set)
      import :: c_ptr, c_size_t
      type(c_ptr), intent(in) :: tables(*)
      integer(c_size_t), value :: count
      type(c_ptr), value :: error
      type(c_ptr) :: set
    end function c_table_set_from_tables

    function c_table_set_from_values(values, count, error) bind(c, name='logk_table_set_from_values') result(set)
      import :: c_double, c_ptr, c_size_t
      real(c_double), intent(in) :: values(36, 37, *)
      integer(c_size_t), value :: count
      type(c_ptr), value :: error
      type(c_ptr) :: set
    end function c_table_set_from_values

    function logk_table_set_count(set) bind(c, name='logk_table_set_count') result(count)
      import :: c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t) :: count
    end function logk_table_set_count

    subroutine logk_table_set_free(set) bind(c, name='logk_table_set_free')
      import :: c_ptr
      type(c_ptr), value :: set
    end subroutine logk_table_set_free

    function c_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, workers) &
        bind(c, name='logk_table_set_interpolate_workers') result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: lk, pidx, tidx, isoerr, pterr
      integer(c_int), value :: workers
      integer(c_int) :: status
    end function c_set_interpolate

    function c_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_table_set_slopes_workers') &
        result(status)
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: dlk_dT, dlk_dP
      integer(c_int), value :: workers
      integer(c_int) :: status
    end function c_set_slopes
  end interface

contains

  ! The library's version, "2.2.0" say, which a program may check against
  ! the one it was written for.
  function logk_version() result(version)
    character(len=:), allocatable :: version
    version = string_at(c_version())
  end function logk_version

  ! The build of the batch loop in use, "avx512", "avx2" or "baseline" (for
  ! bug reports and benchmarks): the environment variable LOGK_CPU, read at
  ! the first call, forces one; logk_build_note() says why a build asked
  ! for is not the one in use ("" where nothing needs saying). Every build
  ! gives the same bits.
  function logk_build() result(build)
    character(len=:), allocatable :: build
    build = string_at(c_build())
  end function logk_build

  function logk_build_note() result(note)
    character(len=:), allocatable :: note
    note = string_at(c_build_note())
  end function logk_build_note

  ! The threads a large call gets for `workers`: at least 1; 0 where it is
  ! refused, with why in error where given.
  function logk_workers_threads(workers, error) result(threads)
    integer, intent(in) :: workers
    type(logk_error), intent(out), optional, target :: error
    integer :: threads
    threads = c_workers_threads(int(workers, c_int), error_address(error))
  end function logk_workers_threads

  ! A table from a file; C's NULL, with the reason in error and where the
  ! reader stopped in place, where given, when it cannot be read.
  function logk_table_load(path, error, place) result(table)
    character(kind=c_char), intent(in) :: path(*)
    type(logk_error), intent(out), optional, target :: error
    type(logk_place), intent(out), optional, target :: place
    type(c_ptr) :: table
    table = c_table_load(path, error_address(error), place_address(place))
  end function logk_table_load

  ! logk_table_load, and what the reading passed over in notes, where
  ! given; with a stop check (see logk_stop_check) where given, which may
  ! end the read, a read of a named pipe that waits included: a stopped
  ! read gives C's NULL with number 0.
  function logk_table_read(path, error, place, notes, stop, context) result(table)
    character(kind=c_char), intent(in) :: path(*)
    type(logk_error), intent(out), optional, target :: error
    type(logk_place), intent(out), optional, target :: place
    type(logk_read_notes), intent(out), optional, target :: notes
    procedure(logk_stop_check), optional :: stop
    type(c_ptr), intent(in), optional :: context
    type(c_ptr) :: table
    type(logk_options), target :: options
    type(c_ptr) :: noted
    options = call_options(stop=stop, context=context)
    noted = c_null_ptr
    if (present(notes)) noted = c_loc(notes)
    table = c_table_read(path, c_loc(options), error_address(error), place_address(place), noted)
  end function logk_table_read

  function logk_table_from_values(values, error) result(table)
    real(c_double), intent(in) :: values(36, 37)
    type(logk_error), intent(out), optional, target :: error
    type(c_ptr) :: table
    table = c_table_from_values(values, error_address(error))
  end function logk_table_from_values

  ! A table on nodes of its own (logk.h states the rules, once for every
  ! face): pressures(m) in bar and temperatures(n) in degC, ascending and
  ! finite, m >= 3 or m = 1 (along one line), n >= 3; values(n, m), a
  ! pressure node's temperatures side by side as a row of the file, NaN
  ! where missing. C's NULL, with what is wrong in error where given, for
  ! nodes the rules refuse or values of another shape.
  function logk_table_from_grid(pressures, temperatures, values, error) result(table)
    real(c_double), intent(in) :: pressures(:), temperatures(:)
    real(c_double), intent(in) :: values(:, :)
    type(logk_error), intent(out), optional, target :: error
    type(c_ptr) :: table
    integer :: k
    table = c_null_ptr
    if (size(values, 1) /= size(temperatures) .or. size(values, 2) /= size(pressures)) then
      if (present(error)) then
        error%number = 0
        error%text = c_null_char
        do k = 1, len(kShape)
          error%text(k) = kShape(k:k)
        end do
      end if
      return
    end if
    table = c_table_from_grid(size(pressures, kind=c_size_t), pressures, size(temperatures, kind=c_size_t), &
                              temperatures, values, error_address(error))
  end function logk_table_from_grid

  ! A table's nodes: the fixed grid's 37 pressures and 36 temperatures, or
  ! its own.
  function logk_table_pressures(table) result(nodes)
    type(c_ptr), value :: table
    real(c_double), allocatable :: nodes(:)
    type(c_ptr) :: pressures, temperatures
    integer(c_size_t) :: n_pressures, n_temperatures
    real(c_double), pointer :: view(:)
    call c_table_nodes(table, pressures, n_pressures, temperatures, n_temperatures)
    allocate(nodes(n_pressures))
    if (n_pressures == 0) return
    call c_f_pointer(pressures, view, [n_pressures])
    nodes = view
  end function logk_table_pressures

  function logk_table_temperatures(table) result(nodes)
    type(c_ptr), value :: table
    real(c_double), allocatable :: nodes(:)
    type(c_ptr) :: pressures, temperatures
    integer(c_size_t) :: n_pressures, n_temperatures
    real(c_double), pointer :: view(:)
    call c_table_nodes(table, pressures, n_pressures, temperatures, n_temperatures)
    allocate(nodes(n_temperatures))
    if (n_temperatures == 0) return
    call c_f_pointer(temperatures, view, [n_temperatures])
    nodes = view
  end function logk_table_temperatures

  ! log K, the stencil's PIDX (1..35) and TIDX (3..36) and the flags ISOERR
  ! and PTERR ('N', 'W' or 'E') for n points P(i) (bar), T(i) (degC). Any
  ! output may be left out; a refused call leaves them as they were.
  subroutine logk_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, workers, status)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(inout), optional, target :: lk(*)
    integer(c_int), intent(inout), optional, target :: pidx(*), tidx(*)
    character(kind=c_char), intent(inout), optional, target :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    integer, intent(out), optional :: status
    call settle(c_interpolate(table, n, P, T, doubles_address(lk), ints_address(pidx), ints_address(tidx), &
                              chars_address(isoerr), chars_address(pterr), workers_or_one(workers)), workers, status)
  end subroutine logk_interpolate

  ! d log K / dT per degC and d log K / dP per bar; either may be left out.
  subroutine logk_slopes(table, n, P, T, dlk_dT, dlk_dP, workers, status)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(inout), optional, target :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    integer, intent(out), optional :: status
    call settle(c_slopes(table, n, P, T, doubles_address(dlk_dT), doubles_address(dlk_dP), workers_or_one(workers)), &
                workers, status)
  end subroutine logk_slopes

  ! The first temperature T(i) from T_low up to T_high at which log K at
  ! pressure P(i) crosses lk(i), and how(i): 'C' crossed, 'J' jumped over
  ! where the stencil changes, 'R' rounding decides (log K lies within
  ! rounding of lk(i) over more doubles than are looked at one by one,
  ! 2,097,152 in all; T(i) the first not looked at: none before it is an
  ! answer), 'N' not reached (T(i) NaN). how may be left out. The grid's
  ! range is 0.01 to 600 degC.
  subroutine logk_temperature_at(table, n, P, lk, T_low, T_high, T, how)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), lk(*)
    real(c_double), value :: T_low, T_high
    real(c_double), intent(out) :: T(*)
    character(kind=c_char), intent(out), optional, target :: how(*)
    call c_temperature_at(table, n, P, lk, T_low, T_high, T, chars_address(how))
  end subroutine logk_temperature_at

  ! The same going up in pressure, from P_low to P_high (1 to 5000 bar), at temperature T(i).
  subroutine logk_pressure_at(table, n, T, lk, P_low, P_high, P, how)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: T(*), lk(*)
    real(c_double), value :: P_low, P_high
    real(c_double), intent(out) :: P(*)
    character(kind=c_char), intent(out), optional, target :: how(*)
    call c_pressure_at(table, n, T, lk, P_low, P_high, P, chars_address(how))
  end subroutine logk_pressure_at

  ! logk_temperature_at on `workers`, with the same bits whatever their
  ! number, and a stop check (see logk_stop_check) where given; done, where
  ! given, is the number of points answered (n but where stopped or
  ! refused: T and how past them are left as they were). Should memory run
  ! out copying inputs that outputs lie over, every answer is NaN and 'N'
  ! (LOGK_NO_MEMORY).
  subroutine logk_solve_temperature(table, n, P, lk, T_low, T_high, T, how, workers, stop, context, status, done)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), lk(*)
    real(c_double), value :: T_low, T_high
    real(c_double), intent(inout) :: T(*)
    character(kind=c_char), intent(inout), optional, target :: how(*)
    integer, intent(in), optional :: workers
    procedure(logk_stop_check), optional :: stop
    type(c_ptr), intent(in), optional :: context
    integer, intent(out), optional :: status
    integer(c_size_t), intent(out), optional, target :: done
    type(logk_options), target :: options
    options = call_options(workers, stop, context)
    call settle(c_solve_temperature(table, n, P, lk, T_low, T_high, T, chars_address(how), c_loc(options), &
                                    size_address(done)), workers, status)
  end subroutine logk_solve_temperature

  ! The same going up in pressure, from P_low to P_high, at temperature T(i).
  subroutine logk_solve_pressure(table, n, T, lk, P_low, P_high, P, how, workers, stop, context, status, done)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: T(*), lk(*)
    real(c_double), value :: P_low, P_high
    real(c_double), intent(inout) :: P(*)
    character(kind=c_char), intent(inout), optional, target :: how(*)
    integer, intent(in), optional :: workers
    procedure(logk_stop_check), optional :: stop
    type(c_ptr), intent(in), optional :: context
    integer, intent(out), optional :: status
    integer(c_size_t), intent(out), optional, target :: done
    type(logk_options), target :: options
    options = call_options(workers, stop, context)
    call settle(c_solve_pressure(table, n, T, lk, P_low, P_high, P, chars_address(how), c_loc(options), &
                                 size_address(done)), workers, status)
  end subroutine logk_solve_pressure

  ! A set of copies of the tables: they may be freed afterwards.
  function logk_table_set_from_tables(tables, count, error) result(set)
    type(c_ptr), intent(in) :: tables(*)
    integer(c_size_t), value :: count
    type(logk_error), intent(out), optional, target :: error
    type(c_ptr) :: set
    set = c_table_set_from_tables(tables, count, error_address(error))
  end function logk_table_set_from_tables

  ! values(36, 37, count): table after table.
  function logk_table_set_from_values(values, count, error) result(set)
    real(c_double), intent(in) :: values(36, 37, *)
    integer(c_size_t), value :: count
    type(logk_error), intent(out), optional, target :: error
    type(c_ptr) :: set
    set = c_table_set_from_values(values, count, error_address(error))
  end function logk_table_set_from_values

  ! lk(count, n); pidx, tidx, isoerr and pterr one a point. Any output may
  ! be left out; a refused call leaves them as they were.
  subroutine logk_table_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, workers, status)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(inout), optional, target :: lk(*)
    integer(c_int), intent(inout), optional, target :: pidx(*), tidx(*)
    character(kind=c_char), intent(inout), optional, target :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    integer, intent(out), optional :: status
    call settle(c_set_interpolate(set, n, P, T, doubles_address(lk), ints_address(pidx), ints_address(tidx), &
                                  chars_address(isoerr), chars_address(pterr), workers_or_one(workers)), &
                workers, status)
  end subroutine logk_table_set_interpolate

  ! dlk_dT(count, n) and dlk_dP(count, n); either may be left out.
  subroutine logk_table_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers, status)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(inout), optional, target :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    integer, intent(out), optional :: status
    call settle(c_set_slopes(set, n, P, T, doubles_address(dlk_dT), doubles_address(dlk_dP), workers_or_one(workers)), &
                workers, status)
  end subroutine logk_table_set_slopes

  ! `workers` as the C library takes it: 1 where it is left out.
  integer(c_int) function workers_or_one(workers)
    integer, intent(in), optional :: workers
    workers_or_one = 1
    if (present(workers)) workers_or_one = int(workers, c_int)
  end function workers_or_one

  ! The C library's options for a call's optional arguments.
  type(logk_options) function call_options(workers, stop, context)
    integer, intent(in), optional :: workers
    procedure(logk_stop_check), optional :: stop
    type(c_ptr), intent(in), optional :: context
    call_options = logk_options(workers_or_one(workers), c_null_funptr, c_null_ptr)
    if (present(stop)) call_options%stop = c_funloc(stop)
    if (present(context)) call_options%context = context
  end function call_options

  ! A call's status to the caller who asked for it; where they did not, a
  ! call that did not do every point ends the program with the library's
  ! words for why (-std=f2008 takes only a constant for error stop's code,
  ! so the words go to the standard error first).
  subroutine settle(code, workers, status)
    integer(c_int), intent(in) :: code
    integer, intent(in), optional :: workers
    integer, intent(out), optional :: status
    type(logk_error), target :: error
    integer(c_int) :: threads
    if (present(status)) then
      status = int(code)
      return
    end if
    if (code == LOGK_DONE) return
    if (code == LOGK_REFUSED) then
      threads = c_workers_threads(workers_or_one(workers), c_loc(error))  ! 0, with why in error
      write (error_unit, '(a)') text_of(error)
    else
      write (error_unit, '(a)') string_at(c_status_text(code))
    end if
    flush (error_unit)  ! before error stop's own line, which does not go through the unit
    error stop
  end subroutine settle

  ! A NUL-terminated C string as a Fortran one.
  function string_at(text) result(string)
    type(c_ptr), intent(in) :: text
    character(len=:), allocatable :: string
    character(kind=c_char), pointer :: chars(:)
    integer :: i
    call c_f_pointer(text, chars, [c_strlen(text)])
    allocate(character(len=size(chars)) :: string)
    do i = 1, size(chars)
      string(i:i) = chars(i)
    end do
  end function string_at

  ! An error's text, up to its c_null_char.
  function text_of(error) result(text)
    type(logk_error), intent(in) :: error
    character(len=:), allocatable :: text
    integer :: i, length
    length = 0
    do while (length < size(error%text))
      if (error%text(length + 1) == c_null_char) exit
      length = length + 1
    end do
    allocate(character(len=length) :: text)
    do i = 1, length
      text(i:i) = error%text(i)
    end do
  end function text_of

  ! The address of an output the caller gave, or C's NULL for one left
  ! out, by type. Each dummy has the TARGET attribute, as the actual
  ! argument (an output of the procedures above) does: the address stays
  ! that output's while they call C.
  type(c_ptr) function doubles_address(x)
    real(c_double), optional, target :: x(*)
    doubles_address = c_null_ptr
    if (present(x)) doubles_address = c_loc(x)
  end function doubles_address

  type(c_ptr) function ints_address(x)
    integer(c_int), optional, target :: x(*)
    ints_address = c_null_ptr
    if (present(x)) ints_address = c_loc(x)
  end function ints_address

  type(c_ptr) function chars_address(x)
    character(kind=c_char), optional, target :: x(*)
    chars_address = c_null_ptr
    if (present(x)) chars_address = c_loc(x)
  end function chars_address

  type(c_ptr) function size_address(x)
    integer(c_size_t), optional, target :: x
    size_address = c_null_ptr
    if (present(x)) size_address = c_loc(x)
  end function size_address

  type(c_ptr) function error_address(x)
    type(logk_error), optional, target :: x
    error_address = c_null_ptr
    if (present(x)) error_address = c_loc(x)
  end function error_address

  type(c_ptr) function place_address(x)
    type(logk_place), optional, target :: x
    place_address = c_null_ptr
    if (present(x)) place_address = c_loc(x)
  end function place_address
end module logk
