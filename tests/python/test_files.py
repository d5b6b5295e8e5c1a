"""Files as open() takes them, and reads that neither hold the interpreter's
lock nor ignore control-C. Reads from named pipes run in a child process
with a timeout, so that a read that hangs fails the test instead of the
suite."""
import os

import pytest

import logk
from conftest import made_up_values, run_child, table_text


@pytest.fixture
def table_file(tmp_path):
    path = tmp_path / "quartz.dat"
    path.write_text(table_text(made_up_values()))
    return path


def test_paths_as_open_takes_them(table_file, tmp_path):
    expected = logk.Table.load(str(table_file))
    for path in (table_file, os.fsencode(table_file)):
        assert logk.Table.load(path) == expected
    odd = tmp_path / os.fsdecode(b"\xff-table.dat")  # a name that is no UTF-8
    odd.write_bytes(table_file.read_bytes())
    assert logk.Table.load(odd) == expected and logk.Table.load(os.fsencode(odd)) == expected
    with pytest.raises(logk.FileNotFound) as raised:
        logk.Table.load(tmp_path / os.fsdecode(b"\xfe-missing.dat"))
    assert "\udcfe-missing.dat" in str(raised.value)
    for bad in (None, 3, ["quartz.dat"]):
        with pytest.raises(TypeError, match="a path is"):
            logk.Table.load(bad)
    with pytest.raises(ValueError, match="NUL"):
        logk.Table.load(str(table_file) + "\0junk")
    with pytest.raises(TypeError):
        logk.read_points(None)


def test_failures_in_a_directory_whose_name_is_no_utf8(table_file, tmp_path, monkeypatch):
    where = tmp_path / os.fsdecode(b"\xff")
    where.mkdir()
    monkeypatch.chdir(where)
    with pytest.raises(logk.FileNotFound) as raised:
        logk.Table.load("quartz.dat")
    assert raised.value.text.endswith("/\udcff/quartz.dat")


# Another thread runs while a table is read: here it is the thread that
# writes the table into the pipe the read waits on.
def test_reading_releases_the_lock(table_file, tmp_path):
    fifo = tmp_path / "pipe.dat"
    os.mkfifo(fifo)
    out = run_child(f"""
        import threading, logk
        got = {{}}
        reader = threading.Thread(target=lambda: got.update(table=logk.Table.load({str(fifo)!r})))
        reader.start()
        with open({str(fifo)!r}, "w") as pipe:
            pipe.write(open({str(table_file)!r}).read())
        reader.join()
        print(got["table"] == logk.Table.load({str(table_file)!r}))
    """)
    assert out == "True\n"


# control-C during a read that waits for a pipe's writer raises at once (a
# read that ignored it would wait for ever, and the child's timeout fails
# the test), also where the pipe is one of a set's files. The event is sent
# once the main thread waits in the kernel, and it is caught wherever it
# lands.
def test_control_c_ends_a_read(tmp_path):
    fifo = tmp_path / "pipe.dat"
    os.mkfifo(fifo)
    for function in ("logk.Table.load", "logk.read_points", "lambda path: logk.TableSet.load([path])"):
        out = run_child(f"""
            import os, signal, threading, time, logk
            main = threading.get_native_id()
            def interrupt():
                while open(f"/proc/self/task/{{main}}/stat").read().rsplit(")", 1)[1].split()[0] != "S":
                    time.sleep(0.001)
                os.kill(os.getpid(), signal.SIGINT)
            try:
                threading.Thread(target=interrupt).start()
                ({function})({str(fifo)!r})
            except KeyboardInterrupt:
                print("interrupted")
        """)
        assert out == "interrupted\n", function


# control-C during a long batch call raises between its blocks, on one
# thread or every core: the call stops at once, and the last points are
# never computed.
@pytest.mark.parametrize("workers", [1, -1])
def test_control_c_ends_a_batch_call(workers):
    out = run_child(f"""
        import os, signal, threading, time
        import numpy as np
        import logk
        table = logk.Table.from_values(np.zeros((37, 36)))
        n = 40_000_000
        P, T = np.full(n, 500.0), np.full(n, 300.0)
        lk = np.full(n, np.nan)
        sent = []
        def interrupt():
            while np.isnan(lk[0]):
                time.sleep(0.001)
            sent.append(time.monotonic())
            os.kill(os.getpid(), signal.SIGINT)
        try:
            threading.Thread(target=interrupt).start()
            table.logk(P, T, out=lk, workers={workers})
        except KeyboardInterrupt:
            print("interrupted", lk[0] == 0.0, np.isnan(lk[-1]), time.monotonic() - sent[0] < 5)
    """)
    assert out == "interrupted True True True\n"


# control-C during searches of the slowest kind (a table within rounding of
# the value along whole pieces: a tenth of a millisecond a point, seconds
# in all) raises as soon, on one thread or every core.
@pytest.mark.parametrize("workers", [1, -1])
def test_control_c_ends_a_search(workers):
    out = run_child(f"""
        import os, signal, threading, time
        import numpy as np
        import logk
        table = logk.Table.from_values(1.5 + 1e-15 * np.random.default_rng(1).standard_normal((37, 36)))
        sent = []
        def interrupt():
            time.sleep(0.2)
            sent.append(time.monotonic())
            os.kill(os.getpid(), signal.SIGINT)
        try:
            threading.Thread(target=interrupt).start()
            table.pressure_at(np.linspace(0.01, 600.0, 100_000), 1.5 + 2e-15, workers={workers})
        except KeyboardInterrupt:
            print("interrupted", time.monotonic() - sent[0] < 5)
    """)
    assert out == "interrupted True\n"


# control-C stops a set's call between the library's chunks: the points
# done have every output, the flags widened to 'U1' among them, and the
# points after keep what the arrays of out= held.
def test_control_c_leaves_the_points_done_whole():
    out = run_child("""
        import os, signal, threading, time
        import numpy as np
        import logk
        reactions = logk.TableSet.from_values(np.zeros((8, 37, 36)))
        n = 2_000_000
        P, T = np.full(n, 500.0), np.full(n, 300.0)
        out = logk.Result(np.full((n, 8), np.nan), np.zeros(n, np.int32), np.zeros(n, np.int32),
                          np.full(n, "X"), np.full(n, "X"))
        def interrupt():
            while np.isnan(out.lk[0, 0]):
                time.sleep(0.001)
            os.kill(os.getpid(), signal.SIGINT)
        try:
            threading.Thread(target=interrupt).start()
            reactions.interpolate(P, T, out=out)
        except KeyboardInterrupt:
            done = int(np.argmax(np.isnan(out.lk[:, 0])))
            print("interrupted", 0 < done < n, set(out.isoerr[:done]), set(out.pterr[:done]),
                  set(out.isoerr[done:]), set(out.pterr[done:]), set(out.pidx[:done]))
    """)
    assert out == "interrupted True {'N'} {'N'} {'X'} {'X'} {19}\n"
