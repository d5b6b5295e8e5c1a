! The module's calls that can be stopped or refused, and what it says of
! the library: a caller's stop check, with its context, ends a read and
! the interpolation backwards (every answer before `done` that of a call
! not stopped, none after it written); a refused call with no `status`
! ends the program with the library's words; the version is the one the
! build was made for. Prints "same" or stops.
!   fortran_stop_and_status <version> <a table file>
module stop_checks
  use, intrinsic :: iso_c_binding, only: c_f_pointer, c_int, c_ptr
  implicit none
contains

  ! Count their calls in the integer at `context`; one never stops, the other stops at once.
  integer(c_int) function never(context) bind(c)
    type(c_ptr), value :: context
    never = count_call(context, 0_c_int)
  end function never

  integer(c_int) function at_once(context) bind(c)
    type(c_ptr), value :: context
    at_once = count_call(context, 1_c_int)
  end function at_once

  integer(c_int) function count_call(context, answer)
    type(c_ptr), intent(in) :: context
    integer(c_int), intent(in) :: answer
    integer(c_int), pointer :: calls
    call c_f_pointer(context, calls)
    calls = calls + 1
    count_call = answer
  end function count_call
end module stop_checks

program stop_and_status
  use, intrinsic :: iso_c_binding
  use logk
  use stop_checks, only: never, at_once
  implicit none
  character(len=4096) :: version, path
  type(c_ptr) :: table

  call get_command_argument(1, version)
  call get_command_argument(2, path)
  table = logk_table_load(trim(path) // c_null_char)
  if (.not. c_associated(table)) stop 'no table'
  if (command_argument_count() == 3) call refuse_with_no_status()

  if (logk_version() /= trim(version)) stop 1
  if (all(logk_build() /= ['baseline', 'avx2    ', 'avx512  '])) stop 2
  call check_read()
  call check_solve(.true.)
  call check_solve(.false.)
  call check_refused_ends()
  call logk_table_free(table)
  print '(a)', 'same'

contains

  ! A read asks the check, with its context, and one that says stop ends it.
  subroutine check_read()
    integer(c_int), target :: calls
    type(logk_error) :: error
    type(c_ptr) :: loaded
    calls = 0
    loaded = logk_table_read(trim(path) // c_null_char, error, stop=never, context=c_loc(calls))
    if (.not. c_associated(loaded) .or. calls < 1) stop 3
    call logk_table_free(loaded)
    calls = 0
    loaded = logk_table_read(trim(path) // c_null_char, error, stop=at_once, context=c_loc(calls))
    if (c_associated(loaded) .or. error%number /= 0 .or. calls /= 1) stop 4
  end subroutine check_read

  ! Along temperature or pressure: a call stopped at the first check has
  ! the answers of a call not stopped before `done`, and none after it.
  subroutine check_solve(along_T)
    logical, intent(in) :: along_T
    integer, parameter :: n = 1000
    real(c_double), parameter :: untouched = 1.0e300_c_double
    real(c_double) :: fixed(n), lk(n), at(n), at_whole(n)
    character(kind=c_char) :: how(n), how_whole(n)
    integer(c_int), target :: calls
    integer(c_size_t) :: done
    integer :: status, status_whole, i
    do i = 1, n
      fixed(i) = merge(1.0_c_double + 4.9_c_double * i, 0.5_c_double + 0.59_c_double * i, along_T)
      lk(i) = -3.0_c_double + 0.002_c_double * i
    end do
    at = untouched
    how = '?'
    calls = 0
    if (along_T) then
      call logk_solve_temperature(table, int(n, c_size_t), fixed, lk, 0.01_c_double, 600.0_c_double, at_whole, &
                                  how_whole, status=status_whole)
      call logk_solve_temperature(table, int(n, c_size_t), fixed, lk, 0.01_c_double, 600.0_c_double, at, how, &
                                  stop=at_once, context=c_loc(calls), status=status, done=done)
    else
      call logk_solve_pressure(table, int(n, c_size_t), fixed, lk, 1.0_c_double, 5000.0_c_double, at_whole, &
                               how_whole, status=status_whole)
      call logk_solve_pressure(table, int(n, c_size_t), fixed, lk, 1.0_c_double, 5000.0_c_double, at, how, &
                               stop=at_once, context=c_loc(calls), status=status, done=done)
    end if
    if (status_whole /= LOGK_DONE .or. status /= LOGK_STOPPED .or. calls /= 1) stop 5
    if (done < 1 .or. done >= n) stop 6
    if (any(transfer(at(:done), 0_c_int64_t, done) /= transfer(at_whole(:done), 0_c_int64_t, done)) .or. &
        any(how(:done) /= how_whole(:done))) stop 7
    if (any(transfer(at(done + 1:), 0_c_int64_t, n - done) /= transfer(untouched, 0_c_int64_t)) .or. &
        any(how(done + 1:) /= '?')) stop 8
  end subroutine check_solve

  ! This program once more, refused with no `status`: it ends in error,
  ! and the library's words are the first line of its standard error.
  subroutine check_refused_ends()
    character(len=4096) :: self, said
    character(len=*), parameter :: errors = 'stop_and_status.err'
    type(logk_error) :: error
    integer :: exit_status, unit
    call get_command_argument(0, self)
    call execute_command_line('"' // trim(self) // '" ' // trim(version) // ' "' // trim(path) // '" refuse 2> ' // &
                              errors, exitstat=exit_status)
    open(newunit=unit, file=errors, status='old', action='read')
    said = ''
    read (unit, '(a)') said
    close(unit, status='delete')
    if (logk_workers_threads(-huge(1), error) /= 0) stop 9
    if (exit_status == 0 .or. said /= text(error)) stop 10
  end subroutine check_refused_ends

  subroutine refuse_with_no_status()
    real(c_double) :: P(1), T(1), lk(1)
    P = 500.0_c_double
    T = 300.0_c_double
    call logk_interpolate(table, 1_c_size_t, P, T, lk, workers=-huge(1))
    print '(a)', 'not ended'
    stop
  end subroutine refuse_with_no_status

  function text(error)
    type(logk_error), intent(in) :: error
    character(len=size(error%text)) :: text
    text = transfer(error%text, text)
    text = text(:index(text, c_null_char) - 1)
  end function text
end program stop_and_status
