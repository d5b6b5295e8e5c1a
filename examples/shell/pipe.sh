# A model streams its points to logk through a named pipe, and reads the
# results through another as they come.
mkfifo points.fifo results.fifo
printf '500 300\n100 200\n' > points.fifo &
logk --points points.fifo --output results.fifo &
tr -d '\r' < results.fifo
wait
rm points.fifo results.fifo
# Or as a filter: '-' is standard input for the points and standard output
# for the results.
printf '500 300\n100 200\n' | logk --points - --output - | tr -d '\r'
