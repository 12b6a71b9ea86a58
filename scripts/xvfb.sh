# Sourced by the scripts that show the program on a private X server.
# start_xvfb LOG: starts Xvfb on the first display number without a lock file, its output
# to LOG; sets `display` and `xvfb_pid`. Fails when the server is not up within 10 s.
start_xvfb() {
  display=99
  while [ -e "/tmp/.X$display-lock" ] || [ -e "/tmp/.X11-unix/X$display" ]; do
    display=$((display + 1))
  done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >"$1" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && return 0
    sleep 0.1
  done
  return 1
}
