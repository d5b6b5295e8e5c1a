# Other files than quartz.dat, PT.dat and logk.out; logk.out's lines end in
# CR LF, which awk and grep would keep: strip it first.
logk --table quartz.dat --points PT.dat --output run.out
tr -d '\r' < run.out | awk 'NR > 1 && $7 != "N" {print $1, $2, $7}'
