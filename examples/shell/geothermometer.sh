# The geothermometer in C and in Python, on six waters' silica in mg/kg
# (the tables first); the C one needs -lm for its log10.
cc geothermometer.c $(pkg-config --cflags --libs logk) -Wl,-rpath,"$(pkg-config --variable=libdir logk)" -lm -o geothermometer
./geothermometer quartz.dat kw.dat 180 250 350 500 620 700
