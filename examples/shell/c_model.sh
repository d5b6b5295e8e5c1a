# A C model against the installed library, with a run path, so that it
# starts without LD_LIBRARY_PATH wherever the library is installed.
cc one_table.c $(pkg-config --cflags --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -o one_table
./one_table quartz.dat
