#!/usr/bin/env bash
# Two workstations on one Windows-style SMB share: a Samba server of our own
# on 127.0.0.1 and two rclone mounts of its share (rclone's smb backend, no
# write caching). There a rename that must not replace is refused, hard
# links fail, an exclusive create works and an existing file opens for
# writing only to be rewritten. Source this file; smb_rig_up FOLDER sets
# MOUNT_A and MOUNT_B (FOLDER is the share), smb_rig_down ends it all.
# smb_rig_up returns 77 (CTest's "skipped") when the machine can't do it.
# smb_server_up FOLDER starts only the server (SMB_RIG_PORT, SMB_RIG_USER,
# SMB_RIG_PASS), for the mounts of another client; smb_rig_down ends it.
smb_rig_skip() { echo "SKIP: $*" >&2; return 77; }

smb_server_up() {
  local folder=$1
  SMB_RIG_DIR=$(mktemp -d /tmp/tavrino-smb.XXXXXX)
  [ -c /dev/fuse ] || { smb_rig_skip "/dev/fuse is missing"; return 77; }
  [ -x /usr/sbin/smbd ] || { smb_rig_skip "samba is not installed"; return 77; }
  local d=$SMB_RIG_DIR user=tavrinorig pass=rig-pass-1
  mkdir -p "$d"/{private,lock,state,cache,pid,ncalrpc,a,b}
  id "$user" >/dev/null 2>&1 || useradd -M -s /usr/sbin/nologin "$user" 2>/dev/null ||
    { smb_rig_skip "no user for the share"; return 77; }
  chown "$user" "$folder" && chmod 0777 "$folder"
  local started=no try
  for try in 1 2 3 4 5; do
    SMB_RIG_PORT=$((20000 + RANDOM % 20000))
    cat >"$d/smb.conf" <<CONF
[global]
server role = standalone server
interfaces = lo
bind interfaces only = yes
smb ports = $SMB_RIG_PORT
disable netbios = yes
private dir = $d/private
lock directory = $d/lock
state directory = $d/state
cache directory = $d/cache
pid directory = $d/pid
ncalrpc dir = $d/ncalrpc
log file = $d/smbd.log
passdb backend = tdbsam:$d/private/passdb.tdb
load printers = no
printing = bsd
printcap name = /dev/null
[team]
path = $folder
read only = no
force user = root
CONF
    printf '%s\n%s\n' "$pass" "$pass" | smbpasswd -c "$d/smb.conf" -s -a "$user" >/dev/null 2>&1 ||
      { smb_rig_skip "smbpasswd failed"; return 77; }
    setsid /usr/sbin/smbd -F --no-process-group -s "$d/smb.conf" >"$d/smbd.out" 2>&1 &
    SMB_RIG_PID=$!
    for _ in $(seq 50); do
      (exec 3<>"/dev/tcp/127.0.0.1/$SMB_RIG_PORT") 2>/dev/null && { started=yes; break; }
      kill -0 $SMB_RIG_PID 2>/dev/null || break
      sleep 0.1
    done
    [ $started = yes ] && break
  done
  [ $started = yes ] || { smb_rig_skip "smbd did not start: $(tail -3 "$d/smbd.out" "$d/smbd.log" 2>/dev/null)"; return 77; }
  SMB_RIG_USER=$user SMB_RIG_PASS=$pass
  return 0
}

smb_rig_up() {
  command -v rclone >/dev/null || { smb_rig_skip "rclone is not installed"; return 77; }
  smb_server_up "$1" || return $?
  local d=$SMB_RIG_DIR user=$SMB_RIG_USER pass=$SMB_RIG_PASS
  export RCLONE_CONFIG=$d/rclone.conf
  cat >"$RCLONE_CONFIG" <<CONF
[rig]
type = smb
host = 127.0.0.1
port = $SMB_RIG_PORT
user = $user
pass = $(rclone obscure "$pass")
CONF
  MOUNT_A=$d/a MOUNT_B=$d/b
  local m
  for m in "$MOUNT_A" "$MOUNT_B"; do
    rclone mount rig:team "$m" --vfs-cache-mode off --dir-cache-time 0s --attr-timeout 0s \
      --daemon --log-file "$d/rclone-$(basename "$m").log" ||
      { smb_rig_skip "rclone could not mount: $(tail -3 "$d/rclone-$(basename "$m").log")"; return 77; }
  done
  for _ in $(seq 50); do mountpoint -q "$MOUNT_B" && break; sleep 0.1; done
  mountpoint -q "$MOUNT_A" && mountpoint -q "$MOUNT_B" || { smb_rig_skip "the rclone mounts are not there"; return 77; }
  return 0
}

smb_rig_down() {
  [ -n "${SMB_RIG_DIR:-}" ] || return 0
  local m
  for m in "$SMB_RIG_DIR/a" "$SMB_RIG_DIR/b"; do
    fusermount -u "$m" 2>/dev/null || fusermount -uz "$m" 2>/dev/null || true
  done
  [ -n "${SMB_RIG_PID:-}" ] && kill "$SMB_RIG_PID" 2>/dev/null
  sleep 0.2
  rm -rf "$SMB_RIG_DIR"
  SMB_RIG_DIR=
}
