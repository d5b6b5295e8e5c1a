# A C++ model against the installed library, with a run path.
g++ -std=c++20 one_table.cpp $(pkg-config --cflags --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -o one_table_cpp
./one_table_cpp quartz.dat
