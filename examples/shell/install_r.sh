# The R package, against the library installed into ~/.local: run in the
# source tree.
export PKG_CONFIG_PATH="$HOME/.local/lib/pkgconfig"
R CMD build bindings/r && R CMD INSTALL logk_*.tar.gz
