#!/usr/bin/env bash
# Runs a test program inside a fresh network namespace that holds only loopback.
# Usage: run-in-netns.sh answering|silent PROGRAM [arguments]
#   answering: loopback answers echo requests; silent: echo requests are ignored.
# Exits 77 (skipped) when this machine cannot make a namespace.
set -uo pipefail
kind=${1:?usage: run-in-netns.sh answering|silent PROGRAM}
shift
command -v unshare >/dev/null && command -v ip >/dev/null || { echo "unshare/ip missing"; exit 77; }
unshare -n true 2>/dev/null || { echo "cannot create a network namespace here"; exit 77; }

case $kind in
  answering) filter='*Answering*' ignore=0 ;;
  silent) filter='*Silent*' ignore=1 ;;
  *) echo "unknown kind $kind"; exit 2 ;;
esac

exec unshare -n bash -c '
  set -e
  ip link set lo up
  # Ping sockets for every group, so both socket kinds can be tried.
  sysctl -qw net.ipv4.ping_group_range="0 2147483647"
  sysctl -qw net.ipv4.icmp_echo_ignore_all='"$ignore"'
  export QUORLIN_NETNS='"$kind"'
  exec "$@" --gtest_filter='"$filter"'
' bash "$@"
