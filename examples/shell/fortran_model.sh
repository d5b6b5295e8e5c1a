# A Fortran model: the module's source compiled with the model (a compiled
# module belongs to the compiler that made it), the library by its run path.
gfortran -std=f2008 "$(pkg-config --variable=includedir logk)/logk/logk.f90" one_table.f90 $(pkg-config --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -o one_table_f
./one_table_f quartz.dat
