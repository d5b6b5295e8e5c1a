#!/usr/bin/env bash
# Installs clang and its fuzzer runtime from Debian's packages when missing.
set -euo pipefail
if command -v clang++ >/dev/null 2>&1 && ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  exit 0
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq clang libclang-rt-dev >/dev/null
