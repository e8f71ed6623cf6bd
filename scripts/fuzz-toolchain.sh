# Sourced by the fuzz scripts: makes sure $CXX (default clang++) can build libFuzzer
# targets with ASan and UBSan; libFuzzer and the sanitizer runtimes come with compiler-rt.
CXX=${CXX:-clang++}
if ! echo 'int main(){}' | "$CXX" -x c++ -fsanitize=fuzzer-no-link,address,undefined - -o /dev/null 2>/dev/null ||
   ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get install -y -q --no-install-recommends clang libclang-rt-dev </dev/null
fi
