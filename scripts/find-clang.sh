#!/usr/bin/env bash
# Finds an installed clang whose libFuzzer and sanitizer runtimes are installed too (the
# newest when there are several) and prints its C and C++ compilers on one line, e.g.
# "/usr/bin/clang-14 /usr/bin/clang++-14". Exits 1, printing nothing, when there is none.
set -uo pipefail
arch=$(uname -m)
for runtime in $(ls -d /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-"$arch".a 2>/dev/null | sort -V -r); do
  llvm=${runtime%%/lib/clang/*}
  version=${llvm##*/llvm-}
  for pair in "/usr/bin/clang-$version /usr/bin/clang++-$version" "$llvm/bin/clang $llvm/bin/clang++"; do
    read -r cc cxx <<<"$pair"
    if [ -x "$cc" ] && [ -x "$cxx" ]; then
      echo "$cc $cxx"
      exit 0
    fi
  done
done
exit 1
