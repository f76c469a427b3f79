#!/usr/bin/env bash
# Two workstations on one Windows-style SMB share as GNOME opens it: a Samba
# server of our own on 127.0.0.1 (smb_rig.sh), and for each workstation a
# desktop session of its own (a session bus, gvfsd) that mounts the share
# with "gio mount"; gvfsd-fuse shows it under that session's
# $XDG_RUNTIME_DIR/gvfs/. Source this file; rig_up FOLDER sets MOUNT_A and
# MOUNT_B (FOLDER is the share), rig_down ends it all. rig_up returns 77
# (CTest's "skipped") when the machine can't do it.
source "$(dirname "${BASH_SOURCE[0]}")/smb_rig.sh"
GVFS_RIG_PIDS=()

rig_up() {
  [ -x /usr/libexec/gvfsd ] && [ -x /usr/libexec/gvfsd-fuse ] ||
    { smb_rig_skip "gvfs-backends and gvfs-fuse are not installed"; return 77; }
  command -v gio >/dev/null && command -v dbus-daemon >/dev/null ||
    { smb_rig_skip "gio or dbus-daemon is missing"; return 77; }
  smb_server_up "$1" || return $?
  local ws session bus pid share
  for ws in a b; do
    session=$SMB_RIG_DIR/session-$ws
    mkdir -m 700 -p "$session"
    { read -r bus; read -r pid; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1)
    GVFS_RIG_PIDS+=("$pid")
    XDG_RUNTIME_DIR=$session DBUS_SESSION_BUS_ADDRESS=$bus \
      setsid /usr/libexec/gvfsd --replace >"$SMB_RIG_DIR/gvfsd-$ws.log" 2>&1 </dev/null &
    GVFS_RIG_PIDS+=("$!")
    share=
    for _ in $(seq 50); do
      printf '%s\nWORKGROUP\n%s\n' "$SMB_RIG_USER" "$SMB_RIG_PASS" |
        XDG_RUNTIME_DIR=$session DBUS_SESSION_BUS_ADDRESS=$bus \
          timeout 20 gio mount "smb://127.0.0.1:$SMB_RIG_PORT/team" >>"$SMB_RIG_DIR/mount-$ws.log" 2>&1
      share=$(ls -d "$session"/gvfs/smb-share:* 2>/dev/null | head -1)
      [ -n "$share" ] && [ -d "$share" ] && break
      sleep 0.2
    done
    [ -n "$share" ] || { smb_rig_skip "gio could not mount the share: $(tail -3 "$SMB_RIG_DIR/mount-$ws.log")"; return 77; }
    eval "MOUNT_${ws^^}=\$share"
  done
  return 0
}

rig_down() {
  local session
  for session in "${SMB_RIG_DIR:-/nonexistent}"/session-*/gvfs; do
    fusermount -u "$session" 2>/dev/null || fusermount -uz "$session" 2>/dev/null || true
  done
  [ ${#GVFS_RIG_PIDS[@]} -gt 0 ] && kill "${GVFS_RIG_PIDS[@]}" 2>/dev/null
  GVFS_RIG_PIDS=()
  smb_rig_down
}
