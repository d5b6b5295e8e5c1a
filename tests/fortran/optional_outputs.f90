! A Fortran caller that names the outputs it wants and leaves the others
! out gets what a call with every output gets, and the same on two threads;
! a set of more tables than an address can count is refused, saying so; the
! temperature at which log K takes its value at a point is that point's; a
! failed load says where the reader stopped. Prints "same" or stops.
program optional_outputs
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  integer, parameter :: n = 29
  type(c_ptr) :: table, set
  type(logk_error) :: error
  real(c_double) :: values(36, 37), P(n), T(n), lk(n), lk_alone(n), dT(n), dP(n), dP_alone(n)
  integer(c_int) :: pidx(n), tidx(n)
  character(kind=c_char) :: isoerr(n), pterr(n), pterr_alone(n)
  integer :: i, j
  integer, parameter :: many = 20000  ! enough values for the workers
  real(c_double), allocatable :: P2(:), T2(:), lk2(:), lk_two(:), dT2(:), dT_two(:)
  real(c_double) :: T_back(1), P_back(1)
  character(kind=c_char) :: how(1)
  type(logk_place) :: place
  integer :: unit

  do j = 1, 37
    do i = 1, 36
      values(i, j) = -4.0_c_double + 0.01_c_double * i - 0.002_c_double * j
    end do
  end do
  table = logk_table_from_values(values)
  do i = 1, n
    P(i) = 0.5_c_double + 240.0_c_double * (i - 1)
    T(i) = -3.0_c_double + 24.0_c_double * (i - 1)
  end do
  P(1) = -1.0_c_double

  call logk_interpolate(table, int(n, c_size_t), P, T, lk, pidx, tidx, isoerr, pterr)
  call logk_slopes(table, int(n, c_size_t), P, T, dT, dP)
  call logk_interpolate(table, int(n, c_size_t), P, T, lk=lk_alone, pterr=pterr_alone)
  call logk_slopes(table, int(n, c_size_t), P, T, dlk_dP=dP_alone)
  allocate(P2(many), T2(many), lk2(many), lk_two(many), dT2(many), dT_two(many))
  do i = 1, many
    P2(i) = 0.5_c_double + 0.31_c_double * i
    T2(i) = -3.0_c_double + 0.0361_c_double * i
  end do
  call logk_interpolate(table, int(many, c_size_t), P2, T2, lk2)
  call logk_interpolate(table, int(many, c_size_t), P2, T2, lk_two, workers=2)
  call logk_slopes(table, int(many, c_size_t), P2, T2, dT2)
  call logk_slopes(table, int(many, c_size_t), P2, T2, dT_two, workers=0)
  if (any(transfer(lk2, 0_c_int64_t, many) /= transfer(lk_two, 0_c_int64_t, many))) stop 3
  if (any(transfer(dT2, 0_c_int64_t, many) /= transfer(dT_two, 0_c_int64_t, many))) stop 4
  T_back = -1.0_c_double
  call logk_temperature_at(table, 1_c_size_t, P(20:20), lk(20:20), -10.0_c_double, 700.0_c_double, &
                           T_back, how)
  call logk_pressure_at(table, 1_c_size_t, T(20:20), lk(20:20), 0.5_c_double, 6000.0_c_double, P_back)
  if (how(1) /= 'C' .or. abs(T_back(1) - T(20)) > 1e-9_c_double * T(20)) stop 5
  if (abs(P_back(1) - P(20)) > 1e-9_c_double * P(20)) stop 6
  call logk_table_free(table)
  ! By their bits, as the same bits are what is meant (equal values are not: -0.0 == 0.0).
  if (any(transfer(lk_alone, 0_c_int64_t, n) /= transfer(lk, 0_c_int64_t, n)) .or. any(pterr_alone /= pterr) .or. &
      any(transfer(dP_alone, 0_c_int64_t, n) /= transfer(dP, 0_c_int64_t, n))) stop 1
  set = logk_table_set_from_values(values, 4611686018427387905_c_size_t, error)
  if (c_associated(set) .or. index(transfer(error%text(1:80), repeat(' ', 80)), 'is too large') == 0) stop 2
  open(newunit=unit, file='optional_outputs.dat', status='replace', action='write')
  write (unit, '(a)') '1 2 x'
  close(unit)
  table = logk_table_load('optional_outputs.dat' // c_null_char, error, place)
  open(newunit=unit, file='optional_outputs.dat', status='old')
  close(unit, status='delete')
  if (c_associated(table) .or. error%number /= 59 .or. place%line /= 1 .or. place%column /= 5) stop 7
  print '(a)', 'same'
end program optional_outputs
