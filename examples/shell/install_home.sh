# The program and the library alone, without the tests (and so without
# GoogleTest) or the Python module, built and installed into ~/.local:
# run in the source tree.
cmake -S . -B build -DLOGK_BUILD_TESTS=OFF -DLOGK_BUILD_PYTHON=OFF && cmake --build build -j2 && cmake --install build --prefix "$HOME/.local"
