! Silica and neutral water along a geotherm, with logk's Fortran module: the
! solubility of quartz and the ionisation constant of water, two tables made
! one set, so that each point's stencil is chosen once for both. 30 degC per
! km from 10 degC at the surface, hydrostatic pressure, every 500 m down to
! 15 km.
program geotherm
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  integer, parameter :: n = 31
  type(c_ptr) :: tables(2), set
  real(c_double) :: P(n), T(n), lk(2, n)  ! lk(1, k) quartz, lk(2, k) water
  integer(c_int) :: pidx(n), tidx(n)
  character(kind=c_char) :: isoerr(n), pterr(n)
  character(len=4096) :: path
  integer :: k

  do k = 1, 2
    path = merge('quartz.dat', 'kw.dat    ', k == 1)
    if (command_argument_count() >= k) call get_command_argument(k, path)
    tables(k) = load(trim(path))
  end do
  set = logk_table_set_from_tables(tables, 2_c_size_t)
  call logk_table_free(tables(1))  ! the set holds copies
  call logk_table_free(tables(2))

  do k = 1, n
    P(k) = 1.0_c_double + 98.1_c_double * 0.5_c_double * (k - 1)   ! bar
    T(k) = 10.0_c_double + 30.0_c_double * 0.5_c_double * (k - 1)  ! degC
  end do
  call logk_table_set_interpolate(set, int(n, c_size_t), P, T, lk, pidx, tidx, isoerr, pterr)
  do k = 1, n  ! the neutral pH of water is -log Kw / 2
    write (*, '(2ES26.17E3, 2I4, 2ES26.17E3, 2(1X, A1), " pH ", F6.3)') P(k), T(k), pidx(k), tidx(k), &
      lk(1, k), lk(2, k), isoerr(k), pterr(k), -lk(2, k) / 2
  end do
  call logk_table_set_free(set)

contains

  ! A table from a file; stops with the program's message when it cannot be read.
  function load(name) result(table)
    character(len=*), intent(in) :: name
    type(c_ptr) :: table
    type(logk_error) :: error
    integer :: k
    table = logk_table_load(name // c_null_char, error)
    if (c_associated(table)) return
    k = 1
    do while (error%text(k) /= c_null_char)
      write (0, '(a)', advance='no') error%text(k)
      k = k + 1
    end do
    write (0, '()')
    stop 1
  end function load
end program geotherm
