! Log K along a geotherm, with logk's Fortran module: 30 degC per km from
! 10 degC at the surface, hydrostatic pressure, every 500 m down to 15 km.
program geotherm
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  integer, parameter :: n = 31
  type(c_ptr) :: table
  type(logk_error) :: error
  real(c_double) :: P(n), T(n), lk(n)
  integer(c_int) :: pidx(n), tidx(n)
  character(kind=c_char) :: isoerr(n), pterr(n)
  character(len=4096) :: path
  integer :: k

  path = 'quartz.dat'
  if (command_argument_count() > 0) call get_command_argument(1, path)
  table = logk_table_load(trim(path) // c_null_char, error)
  if (.not. c_associated(table)) then
    k = 1
    do while (error%text(k) /= c_null_char)
      write (0, '(a)', advance='no') error%text(k)
      k = k + 1
    end do
    write (0, '()')
    stop 1
  end if

  do k = 1, n
    P(k) = 1.0_c_double + 98.1_c_double * 0.5_c_double * (k - 1)   ! bar
    T(k) = 10.0_c_double + 30.0_c_double * 0.5_c_double * (k - 1)  ! degC
  end do
  call logk_interpolate(table, int(n, c_size_t), P, T, lk, pidx, tidx, isoerr, pterr)
  do k = 1, n
    write (*, '(2ES26.17E3, 2I4, ES26.17E3, 2(1X, A1))') P(k), T(k), pidx(k), tidx(k), lk(k), isoerr(k), pterr(k)
  end do
  call logk_table_free(table)
end program geotherm
