# Sourced by the leak-checked runs. The GL drivers (Mesa's EGL and GLX front ends, the DRI
# software rasteriser and what they pull in) are loaded by dlopen and unloaded again at exit,
# before the leak checker runs; their allocations would then show as frames of no module,
# which no suppression can name. Loading them at start (after the sanitizer runtime, which
# must come first) keeps them mapped, so lsan.supp can name them.
# keep_loaded_preload BINARY: the LD_PRELOAD value for BINARY (empty if its sanitizer runtime
# cannot be found).
keep_loaded_preload() {
  local asan lib path list=""
  asan=$(ldd "$1" 2>/dev/null | awk '/libasan\.so/ { print $3; exit }')
  [ -n "$asan" ] || return 0
  list=$asan
  for lib in libEGL.so.1 libEGL_mesa.so.0 libGLX.so.0 libGLX_mesa.so.0 libGL.so.1 libglapi.so.0 \
    libgbm.so.1 libxcb-dri2.so.0 libxcb-dri3.so.0 libxcb-present.so.0 libxcb-sync.so.1 \
    libxcb-xfixes.so.0 libxshmfence.so.1 libdrm.so.2; do
    path=$(ldconfig -p | awk -v l="$lib" '$1 == l && /x86-64|x86_64|64bit/ { print $NF; exit }')
    [ -z "$path" ] && path=$(ldconfig -p | awk -v l="$lib" '$1 == l { print $NF; exit }')
    [ -n "$path" ] && list="$list:$path"
  done
  for path in /usr/lib/x86_64-linux-gnu/dri/swrast_dri.so /usr/lib/*/dri/swrast_dri.so /usr/lib/dri/swrast_dri.so; do
    [ -f "$path" ] && { list="$list:$path"; break; }
  done
  echo "$list"
}
