! One table, a few points, with logk's Fortran module: for each point, log
! K, the stencil and the two flags, as the program writes them in logk.out.
!   one_table [quartz.dat]
program one_table
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  integer, parameter :: n = 5
  real(c_double), parameter :: P(n) = [500.0_c_double, 100.0_c_double, 0.5_c_double, 170.0_c_double, &
                                       7000.0_c_double]   ! bar
  real(c_double), parameter :: T(n) = [300.0_c_double, 200.0_c_double, 300.0_c_double, 375.0_c_double, &
                                       300.0_c_double]    ! degC
  type(c_ptr) :: table
  type(logk_error) :: error
  character(len=4096) :: path
  real(c_double) :: lk(n)
  integer(c_int) :: pidx(n), tidx(n)
  character(kind=c_char) :: isoerr(n), pterr(n)
  integer :: k

  path = 'quartz.dat'
  if (command_argument_count() >= 1) call get_command_argument(1, path)
  table = logk_table_load(trim(path) // c_null_char, error)
  if (.not. c_associated(table)) then
    write (0, '(a, i0)') 'the table cannot be read: message ', error%number
    stop 1
  end if
  call logk_interpolate(table, int(n, c_size_t), P, T, lk, pidx, tidx, isoerr, pterr)
  do k = 1, n
    write (*, '(2ES26.17E3, 2I4, ES26.17E3, 2(1X, A1))') P(k), T(k), pidx(k), tidx(k), lk(k), isoerr(k), pterr(k)
  end do
  call logk_table_free(table)
end program one_table
