# A C model with the static library in it: it needs no liblogk.so at all.
cc one_table.c $(pkg-config --cflags logk) -Wl,-Bstatic $(pkg-config --static --libs logk) -Wl,-Bdynamic -o one_table_static
./one_table_static quartz.dat
