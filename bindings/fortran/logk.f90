! logk in-process for Fortran: the C interface of logk.h, declared with
! ISO_C_BINDING, in standard Fortran 2008 (gfortran -std=f2008). A table is
! a type(c_ptr); a table of values in Fortran is an array values(36, 37),
! temperature first, which is the file's order. A set of tables is a
! type(c_ptr) too; its log K and slopes for n points are arrays
! lk(count, n), a point's tables side by side, as the C interface lays
! them out. Outputs may be left out by keyword (lk=lk, pterr=pterr), and
! the batch calls take an optional `workers`: the module's procedures pass
! C's NULL for what is left out, as the BIND(C) interfaces below them take
! addresses.
module logk
  use, intrinsic :: iso_c_binding, only: c_char, c_double, c_int, c_long_long, c_loc, c_null_ptr, c_ptr, c_size_t
  implicit none
  private
  public :: logk_error, logk_place, logk_table_load, logk_table_from_values, logk_table_free, logk_interpolate, logk_slopes
  public :: logk_table_set_from_tables, logk_table_set_from_values, logk_table_set_count, logk_table_set_free
  public :: logk_table_set_interpolate, logk_table_set_slopes, logk_temperature_at, logk_pressure_at

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

  interface
    function c_table_load(path, error, place) bind(c, name='logk_table_load_at') result(table)
      import :: c_char, c_ptr
      character(kind=c_char), intent(in) :: path(*)
      type(c_ptr), value :: error, place
      type(c_ptr) :: table
    end function c_table_load

    function c_table_from_values(values, error) bind(c, name='logk_table_from_values') result(table)
      import :: c_double, c_ptr
      real(c_double), intent(in) :: values(36, 37)
      type(c_ptr), value :: error
      type(c_ptr) :: table
    end function c_table_from_values

    subroutine logk_table_free(table) bind(c, name='logk_table_free')
      import :: c_ptr
      type(c_ptr), value :: table
    end subroutine logk_table_free

    subroutine c_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, workers) &
        bind(c, name='logk_interpolate_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: lk, pidx, tidx, isoerr, pterr
      integer(c_int), value :: workers
    end subroutine c_interpolate

    subroutine c_slopes(table, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_slopes_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: dlk_dT, dlk_dP
      integer(c_int), value :: workers
    end subroutine c_slopes

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

    subroutine c_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, workers) &
        bind(c, name='logk_table_set_interpolate_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: lk, pidx, tidx, isoerr, pterr
      integer(c_int), value :: workers
    end subroutine c_set_interpolate

    subroutine c_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_table_set_slopes_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      type(c_ptr), value :: dlk_dT, dlk_dP
      integer(c_int), value :: workers
    end subroutine c_set_slopes
  end interface

contains

  ! A table from a file; C's NULL, with the reason in error and where the
  ! reader stopped in place, where given, when it cannot be read. The path
  ! ends with c_null_char: trim(path) // c_null_char.
  function logk_table_load(path, error, place) result(table)
    character(kind=c_char), intent(in) :: path(*)
    type(logk_error), intent(out), optional, target :: error
    type(logk_place), intent(out), optional, target :: place
    type(c_ptr) :: table
    type(c_ptr) :: where
    where = c_null_ptr
    if (present(place)) where = c_loc(place)
    table = c_table_load(path, error_address(error), where)
  end function logk_table_load

  function logk_table_from_values(values, error) result(table)
    real(c_double), intent(in) :: values(36, 37)
    type(logk_error), intent(out), optional, target :: error
    type(c_ptr) :: table
    table = c_table_from_values(values, error_address(error))
  end function logk_table_from_values

  ! The calls with an optional `workers`: 1 (the default) the calling
  ! thread alone, more up to that many threads, 0 or below one per core;
  ! inside an OpenMP parallel region the call keeps to its own thread.
  ! The results are the same bits whatever it is.
  integer(c_int) function threads(workers)
    integer, intent(in), optional :: workers
    threads = 1
    if (present(workers)) threads = int(workers, c_int)
  end function threads

  ! Any output may be left out.
  subroutine logk_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, workers)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional, target :: lk(*)
    integer(c_int), intent(out), optional, target :: pidx(*), tidx(*)
    character(kind=c_char), intent(out), optional, target :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    call c_interpolate(table, n, P, T, doubles_address(lk), ints_address(pidx), ints_address(tidx), &
                       chars_address(isoerr), chars_address(pterr), threads(workers))
  end subroutine logk_interpolate

  ! d log K / dT per degC and d log K / dP per bar; either may be left out.
  subroutine logk_slopes(table, n, P, T, dlk_dT, dlk_dP, workers)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional, target :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    call c_slopes(table, n, P, T, doubles_address(dlk_dT), doubles_address(dlk_dP), threads(workers))
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

  ! lk(count, n); pidx, tidx, isoerr and pterr one a point. Any output may be left out.
  subroutine logk_table_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, workers)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional, target :: lk(*)
    integer(c_int), intent(out), optional, target :: pidx(*), tidx(*)
    character(kind=c_char), intent(out), optional, target :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    call c_set_interpolate(set, n, P, T, doubles_address(lk), ints_address(pidx), ints_address(tidx), &
                           chars_address(isoerr), chars_address(pterr), threads(workers))
  end subroutine logk_table_set_interpolate

  ! dlk_dT(count, n) and dlk_dP(count, n); either may be left out.
  subroutine logk_table_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional, target :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    call c_set_slopes(set, n, P, T, doubles_address(dlk_dT), doubles_address(dlk_dP), threads(workers))
  end subroutine logk_table_set_slopes

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

  type(c_ptr) function error_address(x)
    type(logk_error), optional, target :: x
    error_address = c_null_ptr
    if (present(x)) error_address = c_loc(x)
  end function error_address
end module logk
