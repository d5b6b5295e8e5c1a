# The program reads a table that names its own nodes as it reads one on the
# fixed grid: calcite.dat, along the saturation curve, at the points of the
# own_nodes examples (the pressure takes no part along one line).
printf '1 40\n2.3 125\n59.4 275\n112.9 320\n250 400\n' > calcite_points.dat
logk --table calcite.dat --points calcite_points.dat --output calcite.out
tr -d '\r' < calcite.out
