! Loads the table given and prints the stencil, flags and log K of 500 bar
! and 300 degC, as logk.out shows them: "19 13 N N -1.917" for the example.
program model
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  type(c_ptr) :: table
  type(logk_error) :: error
  character(len=4096) :: path
  real(c_double) :: P(1), T(1), lk(1)
  integer(c_int) :: pidx(1), tidx(1)
  character(kind=c_char) :: isoerr(1), pterr(1)

  call get_command_argument(1, path)
  table = logk_table_load(trim(path) // c_null_char, error)
  if (.not. c_associated(table)) then
    write (0, '(i0)') error%number
    stop 1
  end if
  P = 500.0_c_double
  T = 300.0_c_double
  call logk_interpolate(table, 1_c_size_t, P, T, lk, pidx, tidx, isoerr, pterr)
  write (*, '(i0, 1x, i0, 1x, a1, 1x, a1, 1x, f0.3)') pidx(1), tidx(1), isoerr(1), pterr(1), lk(1)
  call logk_table_free(table)
end program model
