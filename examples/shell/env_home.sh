# Where each tool finds logk installed into ~/.local (add these lines to
# ~/.profile to keep them).
export PATH="$HOME/.local/bin:$PATH"                    # the program and logk-plot
export MANPATH="$HOME/.local/share/man:"                # man logk (the colon keeps the system's pages)
export PKG_CONFIG_PATH="$HOME/.local/lib/pkgconfig"     # pkg-config logk, and the R package's configure
export CMAKE_PREFIX_PATH="$HOME/.local"                 # CMake's find_package(logk)
