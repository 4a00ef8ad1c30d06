#!/usr/bin/env bash
# Runs a test program inside a fresh network namespace that holds only loopback.
# Usage: run-in-netns.sh answering|silent|unprivileged PROGRAM [arguments]
#   answering: loopback answers echo requests; silent: echo requests are ignored;
#   unprivileged: loopback answers, but the program runs as an ordinary user that may open
#   neither a ping socket (no group in ping_group_range) nor a raw one.
# Exits 77 (skipped) when this machine cannot make a namespace.
set -uo pipefail
kind=${1:?usage: run-in-netns.sh answering|silent|unprivileged PROGRAM}
shift
command -v unshare >/dev/null && command -v ip >/dev/null || { echo "unshare/ip missing"; exit 77; }
unshare -n true 2>/dev/null || { echo "cannot create a network namespace here"; exit 77; }

as=""
pings="0 2147483647"
case $kind in
  answering) filter='*Answering*' ignore=0 ;;
  silent) filter='*Silent*' ignore=1 ;;
  unprivileged)
    filter='*Unprivileged*' ignore=0 pings="1 0"
    command -v setpriv >/dev/null || { echo "setpriv missing"; exit 77; }
    # nobody: no capabilities once the uid is not 0, so no raw socket either.
    as="setpriv --reuid=65534 --regid=65534 --clear-groups --inh-caps=-all" ;;
  *) echo "unknown kind $kind"; exit 2 ;;
esac

exec unshare -n bash -c '
  set -e
  ip link set lo up
  # Ping sockets for every group (so both socket kinds can be tried), or for none.
  sysctl -qw net.ipv4.ping_group_range="'"$pings"'"
  sysctl -qw net.ipv4.icmp_echo_ignore_all='"$ignore"'
  export QUORLIN_NETNS='"$kind"'
  exec '"$as"' "$@" --gtest_filter='"$filter"'
' bash "$@"
