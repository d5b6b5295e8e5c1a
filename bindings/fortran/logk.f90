! logk in-process for Fortran: the C interface of logk.h, declared with
! ISO_C_BINDING, and the batch calls with an optional `workers`. A table is a type(c_ptr); a table of values in Fortran is
! an array values(36, 37), temperature first, which is the file's order.
! A set of tables is a type(c_ptr) too; its log K and slopes for n points
! are arrays lk(count, n), a point's tables side by side, as the C
! interface lays them out.
module logk
  use, intrinsic :: iso_c_binding, only: c_char, c_double, c_int, c_ptr, c_size_t
  implicit none
  private
  public :: logk_error, logk_table_load, logk_table_from_values, logk_table_free, logk_interpolate, logk_slopes
  public :: logk_table_set_from_tables, logk_table_set_from_values, logk_table_set_count, logk_table_set_free
  public :: logk_table_set_interpolate, logk_table_set_slopes, logk_temperature_at, logk_pressure_at

  ! number: the program's message number; text: its message, ended by c_null_char.
  type, bind(c) :: logk_error
    integer(c_int) :: number
    character(kind=c_char) :: text(1024)
  end type logk_error

  interface
    ! The path ends with c_null_char: trim(path) // c_null_char.
    function logk_table_load(path, error) bind(c, name='logk_table_load') result(table)
      import :: c_char, c_ptr, logk_error
      character(kind=c_char), intent(in) :: path(*)
      type(logk_error), intent(out), optional :: error
      type(c_ptr) :: table
    end function logk_table_load

    function logk_table_from_values(values, error) bind(c, name='logk_table_from_values') result(table)
      import :: c_double, c_ptr, logk_error
      real(c_double), intent(in) :: values(36, 37)
      type(logk_error), intent(out), optional :: error
      type(c_ptr) :: table
    end function logk_table_from_values

    subroutine logk_table_free(table) bind(c, name='logk_table_free')
      import :: c_ptr
      type(c_ptr), value :: table
    end subroutine logk_table_free

    subroutine c_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, workers) &
        bind(c, name='logk_interpolate_workers')
      import :: c_char, c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      real(c_double), intent(out), optional :: lk(*)
      integer(c_int), intent(out), optional :: pidx(*), tidx(*)
      character(kind=c_char), intent(out), optional :: isoerr(*), pterr(*)
      integer(c_int), value :: workers
    end subroutine c_interpolate

    subroutine c_slopes(table, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_slopes_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      real(c_double), intent(out), optional :: dlk_dT(*), dlk_dP(*)
      integer(c_int), value :: workers
    end subroutine c_slopes

    ! The first temperature T(i) from T_low up to T_high at which log K at
    ! pressure P(i) crosses lk(i), and how(i): 'C' crossed, 'J' jumped over
    ! where the stencil changes, 'R' rounding decides (T(i) the first of more
    ! than 65536 doubles within rounding of lk(i) not looked at one by one:
    ! none before it is an answer), 'N' not reached (T(i) NaN). how may be
    ! left out. The grid's range is 0.01 to 600 degC.
    subroutine logk_temperature_at(table, n, P, lk, T_low, T_high, T, how) bind(c, name='logk_temperature_at')
      import :: c_char, c_double, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), lk(*)
      real(c_double), value :: T_low, T_high
      real(c_double), intent(out) :: T(*)
      character(kind=c_char), intent(out), optional :: how(*)
    end subroutine logk_temperature_at

    ! The same going up in pressure, from P_low to P_high (1 to 5000 bar), at temperature T(i).
    subroutine logk_pressure_at(table, n, T, lk, P_low, P_high, P, how) bind(c, name='logk_pressure_at')
      import :: c_char, c_double, c_ptr, c_size_t
      type(c_ptr), value :: table
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: T(*), lk(*)
      real(c_double), value :: P_low, P_high
      real(c_double), intent(out) :: P(*)
      character(kind=c_char), intent(out), optional :: how(*)
    end subroutine logk_pressure_at

    ! A set of copies of the tables: they may be freed afterwards.
    function logk_table_set_from_tables(tables, count, error) bind(c, name='logk_table_set_from_tables') result(set)
      import :: c_ptr, c_size_t, logk_error
      type(c_ptr), intent(in) :: tables(*)
      integer(c_size_t), value :: count
      type(logk_error), intent(out), optional :: error
      type(c_ptr) :: set
    end function logk_table_set_from_tables

    ! values(36, 37, count): table after table.
    function logk_table_set_from_values(values, count, error) bind(c, name='logk_table_set_from_values') result(set)
      import :: c_double, c_ptr, c_size_t, logk_error
      real(c_double), intent(in) :: values(36, 37, *)
      integer(c_size_t), value :: count
      type(logk_error), intent(out), optional :: error
      type(c_ptr) :: set
    end function logk_table_set_from_values

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
      import :: c_char, c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      real(c_double), intent(out), optional :: lk(*)
      integer(c_int), intent(out), optional :: pidx(*), tidx(*)
      character(kind=c_char), intent(out), optional :: isoerr(*), pterr(*)
      integer(c_int), value :: workers
    end subroutine c_set_interpolate

    subroutine c_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers) bind(c, name='logk_table_set_slopes_workers')
      import :: c_double, c_int, c_ptr, c_size_t
      type(c_ptr), value :: set
      integer(c_size_t), value :: n
      real(c_double), intent(in) :: P(*), T(*)
      real(c_double), intent(out), optional :: dlk_dT(*), dlk_dP(*)
      integer(c_int), value :: workers
    end subroutine c_set_slopes
  end interface

contains

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
    real(c_double), intent(out), optional :: lk(*)
    integer(c_int), intent(out), optional :: pidx(*), tidx(*)
    character(kind=c_char), intent(out), optional :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    call c_interpolate(table, n, P, T, lk, pidx, tidx, isoerr, pterr, threads(workers))
  end subroutine logk_interpolate

  ! d log K / dT per degC and d log K / dP per bar; either may be left out.
  subroutine logk_slopes(table, n, P, T, dlk_dT, dlk_dP, workers)
    type(c_ptr), value :: table
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    call c_slopes(table, n, P, T, dlk_dT, dlk_dP, threads(workers))
  end subroutine logk_slopes

  ! lk(count, n); pidx, tidx, isoerr and pterr one a point. Any output may be left out.
  subroutine logk_table_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, workers)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional :: lk(*)
    integer(c_int), intent(out), optional :: pidx(*), tidx(*)
    character(kind=c_char), intent(out), optional :: isoerr(*), pterr(*)
    integer, intent(in), optional :: workers
    call c_set_interpolate(set, n, P, T, lk, pidx, tidx, isoerr, pterr, threads(workers))
  end subroutine logk_table_set_interpolate

  ! dlk_dT(count, n) and dlk_dP(count, n); either may be left out.
  subroutine logk_table_set_slopes(set, n, P, T, dlk_dT, dlk_dP, workers)
    type(c_ptr), value :: set
    integer(c_size_t), value :: n
    real(c_double), intent(in) :: P(*), T(*)
    real(c_double), intent(out), optional :: dlk_dT(*), dlk_dP(*)
    integer, intent(in), optional :: workers
    call c_set_slopes(set, n, P, T, dlk_dT, dlk_dP, threads(workers))
  end subroutine logk_table_set_slopes
end module logk
