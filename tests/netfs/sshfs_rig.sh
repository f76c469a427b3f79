#!/usr/bin/env bash
# Two workstations on one machine: an sshd of our own on 127.0.0.1 and two
# sshfs mounts of one folder. Through them locks are not shared, inode
# numbers change between calls and renameat2 flags are refused, as between
# real workstations. Source this file; rig_up FOLDER sets MOUNT_A, MOUNT_B
# (and MOUNT_C, MOUNT_D... with RIG_MOUNTS=3, 4...), rig_down ends it all. rig_up returns 77 (CTest's "skipped") when the
# machine can't do it, saying why.
rig_skip() { echo "SKIP: $*" >&2; return 77; }

rig_up() {
  local folder=$1
  RIG_DIR=$(mktemp -d /tmp/tavrino-rig.XXXXXX)
  [ -c /dev/fuse ] || { rig_skip "/dev/fuse is missing"; return 77; }
  command -v sshfs >/dev/null || { rig_skip "sshfs is not installed"; return 77; }
  [ -x /usr/sbin/sshd ] || { rig_skip "openssh-server is not installed"; return 77; }
  mkdir -p /run/sshd 2>/dev/null || true
  ssh-keygen -q -t ed25519 -N '' -f "$RIG_DIR/host_key" >/dev/null
  ssh-keygen -q -t ed25519 -N '' -f "$RIG_DIR/user_key" >/dev/null
  cp "$RIG_DIR/user_key.pub" "$RIG_DIR/authorized_keys"
  local started=no try
  for try in 1 2 3 4 5 6 7 8 9 10; do
    RIG_PORT=$((20000 + RANDOM % 20000))
    cat >"$RIG_DIR/sshd_config" <<CONF
ListenAddress 127.0.0.1
Port $RIG_PORT
HostKey $RIG_DIR/host_key
AuthorizedKeysFile $RIG_DIR/authorized_keys
PasswordAuthentication no
KbdInteractiveAuthentication no
PubkeyAuthentication yes
PermitRootLogin prohibit-password
StrictModes no
UsePAM no
PidFile $RIG_DIR/sshd.pid
Subsystem sftp internal-sftp
CONF
    # A port somebody else holds makes sshd fail at once: try another.
    if /usr/sbin/sshd -f "$RIG_DIR/sshd_config" -E "$RIG_DIR/sshd.log"; then
      started=yes
      break
    fi
  done
  [ $started = yes ] || { rig_skip "sshd did not start: $(tail -2 "$RIG_DIR/sshd.log")"; return 77; }
  RIG_ALL_MOUNTS=()
  local letter m
  for letter in a b c d e f; do
    [ ${#RIG_ALL_MOUNTS[@]} -lt "${RIG_MOUNTS:-2}" ] || break
    m=$RIG_DIR/$letter
    mkdir -p "$m"
    RIG_ALL_MOUNTS+=("$m")
    eval "MOUNT_${letter^^}=\$m"
  done
  for m in "${RIG_ALL_MOUNTS[@]}"; do
    local tries=0
    until sshfs -p "$RIG_PORT" \
        -o "IdentityFile=$RIG_DIR/user_key,StrictHostKeyChecking=no,UserKnownHostsFile=/dev/null,cache=no,LogLevel=ERROR" \
        "$(id -un)@127.0.0.1:$folder" "$m" 2>>"$RIG_DIR/sshfs.log"; do
      tries=$((tries + 1))
      [ $tries -lt 20 ] || { rig_skip "sshfs could not mount: $(tail -2 "$RIG_DIR/sshfs.log")"; return 77; }
      sleep 0.2
    done
  done
  return 0
}

rig_down() {
  [ -n "${RIG_DIR:-}" ] || return 0
  local m
  for m in "${RIG_ALL_MOUNTS[@]}"; do
    fusermount -u "$m" 2>/dev/null || fusermount -uz "$m" 2>/dev/null || true
  done
  [ -f "$RIG_DIR/sshd.pid" ] && kill "$(cat "$RIG_DIR/sshd.pid")" 2>/dev/null
  rm -rf "$RIG_DIR"
  RIG_DIR=
}
