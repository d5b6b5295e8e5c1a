# The run drawn as on the front page, by the installed logk-plot (needs
# Debian's python3-matplotlib).
logk
logk-plot logk.out quartz.dat run.png
