! A table of one's own nodes, with logk's Fortran module: log K of calcite
! along the saturation curve at the eight temperatures a database lists (as
! in calcite.dat), its nodes, and for a few points log K, the stencil and
! the two flags, as the program writes them in logk.out for calcite.dat.
!   own_nodes
program own_nodes
  use, intrinsic :: iso_c_binding
  use, intrinsic :: ieee_arithmetic, only: ieee_value, ieee_quiet_nan
  use logk
  implicit none
  integer, parameter :: n = 5
  real(c_double), parameter :: temperatures(8) = [0.01_c_double, 25.0_c_double, 60.0_c_double, 100.0_c_double, &
                                                  150.0_c_double, 200.0_c_double, 250.0_c_double, 300.0_c_double]
  ! values(n, m): the temperatures of a pressure node side by side, a row of the file
  real(c_double), parameter :: values(8, 1) = reshape([-8.38_c_double, -8.48_c_double, -8.75_c_double, &
                                                       -9.13_c_double, -9.64_c_double, -10.20_c_double, &
                                                       -10.81_c_double, -11.48_c_double], [8, 1])
  ! The last two lie beyond 300 degC: within one node spacing (pterr W), and beyond it (pterr E).
  real(c_double), parameter :: P(n) = [1.0_c_double, 2.3_c_double, 59.4_c_double, 112.9_c_double, &
                                       250.0_c_double]   ! bar
  real(c_double), parameter :: T(n) = [40.0_c_double, 125.0_c_double, 275.0_c_double, 320.0_c_double, &
                                       400.0_c_double]   ! degC
  real(c_double) :: pressures(1)
  type(c_ptr) :: table
  type(logk_error) :: error
  real(c_double) :: lk(n)
  integer(c_int) :: pidx(n), tidx(n)
  character(kind=c_char) :: isoerr(n), pterr(n)
  integer :: k

  ! One pressure node: a table along one line. NaN is the saturation line
  ! (calcite.dat's sat); the pressure takes no part.
  pressures(1) = ieee_value(1.0_c_double, ieee_quiet_nan)
  table = logk_table_from_grid(pressures, temperatures, values, error)
  if (.not. c_associated(table)) then
    write (0, '(a)') 'the nodes or values are refused'   ! error%text says why
    stop 1
  end if
  associate (nodes => logk_table_temperatures(table))   ! its own nodes, a copy
    write (*, '(i0, " x ", i0, " nodes, ", ES26.17E3, " to ", ES26.17E3, " degC")') &
      size(logk_table_pressures(table)), size(nodes), nodes(1), nodes(size(nodes))
  end associate
  call logk_interpolate(table, int(n, c_size_t), P, T, lk, pidx, tidx, isoerr, pterr)
  do k = 1, n
    write (*, '(2ES26.17E3, 2I4, ES26.17E3, 2(1X, A1))') P(k), T(k), pidx(k), tidx(k), lk(k), isoerr(k), pterr(k)
  end do
  call logk_table_free(table)
end program own_nodes
