! The table of cases every face runs (tests/cases/cases.txt, its path the
! first argument; the paths in it are from the top of the sources), here
! through the Fortran module: tables, sets, every output of every point
! to the bit, the interpolation backwards, failed reads with their number
! and place, what reading passed over, and workers taken or refused.
! Prints "same", or the first row that disagrees (with what this face
! gave, where it has outputs) and stops 1.
program cases
  use, intrinsic :: iso_c_binding
  use logk
  implicit none
  integer, parameter :: most_names = 16, most_words = 64
  character(len=32) :: names(most_names)
  type(c_ptr) :: handles(most_names)
  logical :: is_set(most_names)
  integer :: known
  character(len=4096) :: path, top, line
  character(len=64) :: words(most_words)
  character(len=2048) :: got
  integer :: unit, ios, count_words, line_number, rows
  logical :: agrees

  if (command_argument_count() < 1) then
    print '(a)', 'usage: fortran_cases <sources>/tests/cases/cases.txt'
    stop 1
  end if
  call get_command_argument(1, path)
  top = path(1:index(path, '/', back=.true.)) // '../../'
  open(newunit=unit, file=trim(path), status='old', action='read', iostat=ios)
  if (ios /= 0) then
    print '(2a)', 'cannot read ', trim(path)
    stop 1
  end if
  known = 0
  line_number = 0
  rows = 0
  do
    read (unit, '(a)', iostat=ios) line
    if (ios /= 0) exit
    line_number = line_number + 1
    if (line(1:1) == '#' .or. len_trim(line) == 0) cycle
    if (line(len(line):) /= ' ') stop 'cases.txt: a row longer than this program reads'
    rows = rows + 1
    got = ''
    agrees = row_agrees()
    if (.not. agrees) then
      print '(a, i0, 2a)', 'cases.txt line ', line_number, ': ', trim(line)
      if (len_trim(got) > 0) print '(2a)', 'got: ', trim(got)
      stop 1
    end if
  end do
  if (.not. is_iostat_end(ios) .or. rows < 100) then
    print '(a, i0, a, i0, a)', 'cases.txt: read stopped after line ', line_number, ' (', rows, ' rows)'
    stop 1
  end if
  print '(a)', 'same'

contains

  ! The row in `line`, through this face. A kind of row this face does not
  ! know disagrees, so that no row is passed over unseen.
  logical function row_agrees()
    call split()
    select case (words(1))
    case ('table')
      row_agrees = table_row()
    case ('hextable')
      row_agrees = hextable_row()
    case ('gridtable')
      row_agrees = gridtable_row()
    case ('set')
      row_agrees = set_row()
    case ('point')
      row_agrees = point_row()
    case ('temperature_at', 'pressure_at')
      row_agrees = solve_row(words(1) == 'temperature_at')
    case ('fails')
      row_agrees = fails_row()
    case ('notes')
      row_agrees = notes_row()
    case ('workers')
      row_agrees = workers_row()
    case default
      row_agrees = .false.
    end select
  end function row_agrees

  ! table NAME PATH
  logical function table_row()
    type(logk_error) :: error
    type(c_ptr) :: table
    table = logk_table_load(c_path(words(3)), error)
    table_row = c_associated(table)
    if (table_row) call remember(words(2), table, .false.)
  end function table_row

  ! hextable NAME PATH: 1332 values in file order, a line of hex bits each.
  logical function hextable_row()
    integer(c_int64_t) :: bits(36 * 37)
    type(c_ptr) :: table
    integer :: hex, k
    open(newunit=hex, file=trim(top) // trim(words(3)), status='old', action='read')
    do k = 1, size(bits)
      read (hex, '(z16)') bits(k)
    end do
    close(hex)
    table = logk_table_from_values(reshape(transfer(bits, 1.0_c_double, size(bits)), [36, 37]))
    hextable_row = c_associated(table)
    if (hextable_row) call remember(words(2), table, .false.)
  end function hextable_row

  ! gridtable NAME PRESSURES TEMPERATURES VALUES: three files of hex bits,
  ! the nodes and the values a row per pressure; the nodes read back.
  logical function gridtable_row()
    real(c_double), allocatable :: pressures(:), temperatures(:), values(:), back_P(:), back_T(:)
    type(c_ptr) :: table
    call hex_file(words(3), pressures)
    call hex_file(words(4), temperatures)
    call hex_file(words(5), values)
    gridtable_row = size(values) == size(pressures) * size(temperatures)
    if (.not. gridtable_row) return
    table = logk_table_from_grid(pressures, temperatures, reshape(values, [size(temperatures), size(pressures)]))
    gridtable_row = c_associated(table)
    if (.not. gridtable_row) return
    back_P = logk_table_pressures(table)
    back_T = logk_table_temperatures(table)
    gridtable_row = size(back_P) == size(pressures) .and. size(back_T) == size(temperatures)
    if (gridtable_row) gridtable_row = all(transfer(back_P, 0_c_int64_t, size(back_P)) == &
                                           transfer(pressures, 0_c_int64_t, size(pressures)))
    if (gridtable_row) gridtable_row = all(transfer(back_T, 0_c_int64_t, size(back_T)) == &
                                           transfer(temperatures, 0_c_int64_t, size(temperatures)))
    call remember(words(2), table, .false.)
  end function gridtable_row

  ! The doubles of a file of hex bits, a line each.
  subroutine hex_file(path, values)
    character(len=*), intent(in) :: path
    real(c_double), allocatable, intent(out) :: values(:)
    integer(c_int64_t) :: bits
    integer :: hex, count, status
    open(newunit=hex, file=trim(top) // trim(path), status='old', action='read')
    count = 0
    do
      read (hex, '(z16)', iostat=status) bits
      if (status /= 0) exit
      count = count + 1
    end do
    allocate(values(count))
    rewind(hex)
    do count = 1, size(values)
      read (hex, '(z16)') bits
      values(count) = transfer(bits, 1.0_c_double)
    end do
    close(hex)
  end subroutine hex_file

  ! set NAME TABLE...
  logical function set_row()
    type(c_ptr) :: tables(most_words)
    type(c_ptr) :: set
    integer :: k, count
    count = count_words - 2
    set_row = .false.
    do k = 1, count
      if (found(words(2 + k), .false.) == 0) return
      tables(k) = handles(found(words(2 + k), .false.))
    end do
    set = logk_table_set_from_tables(tables, int(count, c_size_t))
    set_row = c_associated(set)
    if (set_row) call remember(words(2), set, .true.)
  end function set_row

  ! point NAME P T PIDX TIDX ISOERR PTERR (LK DLK_DT DLK_DP) x tables
  logical function point_row()
    real(c_double) :: P(1), T(1)
    real(c_double), allocatable :: lk(:), dT(:), dP(:)
    integer(c_int) :: pidx(1), tidx(1)
    character(kind=c_char) :: isoerr(1), pterr(1)
    integer :: status(2), h, count, r
    point_row = .false.
    h = found(words(2))
    if (h == 0) return
    count = 1
    if (is_set(h)) count = int(logk_table_set_count(handles(h)))
    if (count_words /= 8 + 3 * count) return
    allocate(lk(count), dT(count), dP(count))
    P(1) = double_of(words(3))
    T(1) = double_of(words(4))
    if (is_set(h)) then
      call logk_table_set_interpolate(handles(h), 1_c_size_t, P, T, lk, pidx, tidx, isoerr, pterr, status=status(1))
      call logk_table_set_slopes(handles(h), 1_c_size_t, P, T, dT, dP, status=status(2))
    else
      call logk_interpolate(handles(h), 1_c_size_t, P, T, lk, pidx, tidx, isoerr, pterr, status=status(1))
      call logk_slopes(handles(h), 1_c_size_t, P, T, dT, dP, status=status(2))
    end if
    write (got, '(i0, 1x, i0, 2(1x, a1), *(1x, z16.16))') pidx(1), tidx(1), isoerr(1), pterr(1), &
      (transfer(lk(r), 0_c_int64_t), transfer(dT(r), 0_c_int64_t), transfer(dP(r), 0_c_int64_t), r = 1, count)
    point_row = all(status == LOGK_DONE) .and. pidx(1) == integer_of(words(5)) .and. &
                tidx(1) == integer_of(words(6)) .and. is_char(isoerr(1), words(7)) .and. is_char(pterr(1), words(8))
    do r = 1, count
      point_row = point_row .and. same(lk(r), words(6 + 3 * r)) .and. same(dT(r), words(7 + 3 * r)) .and. &
                  same(dP(r), words(8 + 3 * r))
    end do
  end function point_row

  ! temperature_at NAME P LK LOW HIGH T HOW, and pressure_at NAME T LK LOW
  ! HIGH P HOW: both of the module's forms give the answer.
  logical function solve_row(along_T)
    logical, intent(in) :: along_T
    real(c_double) :: fixed(1), lk(1), low, high, at(2)
    character(kind=c_char) :: how(2)
    integer :: status, h
    integer(c_size_t) :: done
    solve_row = .false.
    h = found(words(2), .false.)
    if (h == 0 .or. count_words /= 8) return
    fixed(1) = double_of(words(3))
    lk(1) = double_of(words(4))
    low = double_of(words(5))
    high = double_of(words(6))
    at = 0.0_c_double
    how = '?'
    if (along_T) then
      call logk_temperature_at(handles(h), 1_c_size_t, fixed, lk, low, high, at(1:1), how(1:1))
      call logk_solve_temperature(handles(h), 1_c_size_t, fixed, lk, low, high, at(2:2), how(2:2), &
                                  status=status, done=done)
    else
      call logk_pressure_at(handles(h), 1_c_size_t, fixed, lk, low, high, at(1:1), how(1:1))
      call logk_solve_pressure(handles(h), 1_c_size_t, fixed, lk, low, high, at(2:2), how(2:2), &
                               status=status, done=done)
    end if
    write (got, '(2(z16.16, 1x, a1, 1x), a, i0, a, i0)') transfer(at(1), 0_c_int64_t), how(1), &
      transfer(at(2), 0_c_int64_t), how(2), 'status ', status, ' done ', done
    solve_row = status == LOGK_DONE .and. done == 1 .and. same(at(1), words(7)) .and. same(at(2), words(7)) .and. &
                is_char(how(1), words(8)) .and. is_char(how(2), words(8))
  end function solve_row

  ! fails PATH NUMBER KIND LINE COLUMN: through both of the module's reads.
  logical function fails_row()
    type(logk_error) :: error(2)
    type(logk_place) :: place(2)
    type(c_ptr) :: table(2)
    integer :: k
    table(1) = logk_table_load(c_path(words(2)), error(1), place(1))
    table(2) = logk_table_read(c_path(words(2)), error(2), place(2))
    write (got, '(2(i0, 1x, i0, 1x, i0, 1x))') (error(k)%number, place(k)%line, place(k)%column, k = 1, 2)
    fails_row = count_words == 6
    do k = 1, 2
      if (c_associated(table(k))) call logk_table_free(table(k))
      fails_row = fails_row .and. .not. c_associated(table(k)) .and. error(k)%number == integer_of(words(3)) .and. &
                  place(k)%line == long_of(words(5)) .and. place(k)%column == long_of(words(6))
    end do
  end function fails_row

  ! notes PATH PAST_ROW_LINE PAST_ROW_VALUES NULL_LINE AFTER_TABLE_LINE
  logical function notes_row()
    type(logk_read_notes) :: notes
    type(c_ptr) :: table
    table = logk_table_read(c_path(words(2)), notes=notes)
    notes_row = c_associated(table) .and. count_words == 6
    if (.not. notes_row) return
    call logk_table_free(table)
    write (got, '(3(i0, 1x), i0)') notes%past_row_line, notes%past_row_values, notes%null_line, notes%after_table_line
    notes_row = notes%past_row_line == long_of(words(3)) .and. notes%past_row_values == long_of(words(4)) .and. &
                notes%null_line == long_of(words(5)) .and. notes%after_table_line == long_of(words(6))
  end function notes_row

  ! workers W accepted|refused: every call of the module that takes
  ! workers runs with status 0, or is refused with status 2 and leaves its
  ! outputs as they were; and logk_workers_threads agrees.
  logical function workers_row()
    ! An output no call here gives, to see that a refused call left it.
    real(c_double), parameter :: untouched = 1.0e300_c_double
    real(c_double) :: P(1), T(1), lk(1), at(2)
    real(c_double), allocatable :: set_lk(:), set_dT(:)
    integer :: status(6), workers, expected, one, set, threads
    logical :: accepted
    workers_row = .false.
    one = first(.false.)
    set = first(.true.)
    if (one == 0 .or. set == 0 .or. count_words /= 3) return
    workers = integer_of(words(2))
    accepted = words(3) == 'accepted'
    if (.not. accepted .and. words(3) /= 'refused') return
    expected = merge(LOGK_DONE, LOGK_REFUSED, accepted)
    allocate(set_lk(logk_table_set_count(handles(set))), set_dT(logk_table_set_count(handles(set))))
    P = 500.0_c_double
    T = 300.0_c_double
    lk = untouched
    at = untouched
    set_lk = untouched
    set_dT = untouched
    call logk_interpolate(handles(one), 1_c_size_t, P, T, lk, workers=workers, status=status(1))
    call logk_slopes(handles(one), 1_c_size_t, P, T, dlk_dP=at(1:1), workers=workers, status=status(2))
    call logk_table_set_interpolate(handles(set), 1_c_size_t, P, T, set_lk, workers=workers, status=status(3))
    call logk_table_set_slopes(handles(set), 1_c_size_t, P, T, set_dT, workers=workers, status=status(4))
    call logk_solve_temperature(handles(one), 1_c_size_t, P, [-2.0_c_double], 0.01_c_double, 600.0_c_double, &
                                at(2:2), workers=workers, status=status(5))
    call logk_solve_pressure(handles(one), 1_c_size_t, T, [-2.0_c_double], 1.0_c_double, 5000.0_c_double, &
                             at(2:2), workers=workers, status=status(6))
    threads = logk_workers_threads(workers)
    write (got, '(a, 6(1x, i0), a, i0)') 'statuses', status, ', threads ', threads
    workers_row = all(status == expected) .and. (threads > 0 .eqv. accepted)
    if (.not. accepted) then
      workers_row = workers_row .and. all(transfer([lk, at, set_lk, set_dT], 0_c_int64_t, 3 + 2 * size(set_lk)) == &
                                          transfer(untouched, 0_c_int64_t))
    end if
  end function workers_row

  ! The row's words, into words(1:count_words).
  subroutine split()
    integer :: from, to
    words = ''
    count_words = 0
    to = 0
    do
      from = verify(line(to + 1:), ' ')
      if (from == 0) exit
      from = from + to
      to = scan(line(from:), ' ') + from - 2
      if (count_words == most_words) stop 'cases.txt: too many words in a row'
      if (to - from >= len(words)) stop 'cases.txt: a word longer than this program reads'
      count_words = count_words + 1
      words(count_words) = line(from:to)
    end do
  end subroutine split

  subroutine remember(name, handle, a_set)
    character(len=*), intent(in) :: name
    type(c_ptr), intent(in) :: handle
    logical, intent(in) :: a_set
    if (known == most_names) stop 'cases.txt: too many tables and sets'
    known = known + 1
    names(known) = name
    handles(known) = handle
    is_set(known) = a_set
  end subroutine remember

  ! The table or set of that name (a table only, where a_set is .false.); 0 for none.
  integer function found(name, a_set)
    character(len=*), intent(in) :: name
    logical, intent(in), optional :: a_set
    integer :: k
    found = 0
    do k = 1, known
      if (names(k) /= name) cycle
      if (present(a_set)) then
        if (is_set(k) .neqv. a_set) cycle
      end if
      found = k
      return
    end do
  end function found

  ! The first table, or the first set; 0 for none.
  integer function first(a_set)
    logical, intent(in) :: a_set
    integer :: k
    first = 0
    do k = 1, known
      if (is_set(k) .eqv. a_set) then
        first = k
        return
      end if
    end do
  end function first

  ! A path of the file, from the top of the sources, for C.
  function c_path(word) result(c)
    character(len=*), intent(in) :: word
    character(len=:), allocatable :: c
    c = trim(top) // trim(word) // c_null_char
  end function c_path

  ! The bits of a 16-hex-digit word: Z16 reads those with the top bit set
  ! as the negative integers of the same bits. (Pure, as the checks call
  ! it inside .and.: so no check of the word's length.)
  pure integer(c_int64_t) function bits_of(word)
    character(len=*), intent(in) :: word
    read (word, '(z16)') bits_of
  end function bits_of

  pure real(c_double) function double_of(word)
    character(len=*), intent(in) :: word
    double_of = transfer(bits_of(word), 1.0_c_double)
  end function double_of

  ! x has the bits of the word.
  pure logical function same(x, word)
    real(c_double), intent(in) :: x
    character(len=*), intent(in) :: word
    same = transfer(x, 0_c_int64_t) == bits_of(word)
  end function same

  pure logical function is_char(c, word)
    character(kind=c_char), intent(in) :: c
    character(len=*), intent(in) :: word
    is_char = len_trim(word) == 1 .and. c == word(1:1)
  end function is_char

  pure integer function integer_of(word)
    character(len=*), intent(in) :: word
    read (word, *) integer_of
  end function integer_of

  pure integer(c_long_long) function long_of(word)
    character(len=*), intent(in) :: word
    read (word, *) long_of
  end function long_of
end program cases
