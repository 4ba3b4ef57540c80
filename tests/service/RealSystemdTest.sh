#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The template unit quendry@.service under the distribution's own systemd, booted as PID 1 of private namespaces:
# the Release build installed as its packages (or `make install PREFIX=...`) install it, its system user created
# as the package creates it, and instances of one game folder run with the stand-in engine.
#
#   RealSystemdTest.sh BUILD PREFIX ENGINE POSTINST
#
# BUILD a Release build, PREFIX the prefix it is installed to, ENGINE the stand-in engine, POSTINST the package's
# postinst script. Needs root, systemd, and private pid, mount and cgroup namespaces under a cgroup2 hierarchy;
# where any is missing it says why and exits with 77 (skipped).
#
# Safety: the manager sees only the units this script copies into its scratch folder, never the distribution's unit
# folders, whose boot units would empty the host's /tmp and change the kernel's settings. /etc and /usr are overlays,
# /run, /tmp and /var a tmpfs or a folder of the scratch folder, all inside the manager's private mount namespace;
# every process of the test lives in its private pid namespace and ends with its PID 1.
set -u
BUILD=$1
PREFIX=$2
ENGINE=$3
POSTINST=$4
# The highest exposure that `systemd-analyze security` may give the unit, and the lines it may mark as exposed: a
# game server talks to the internet, runs as a user of the system and its native server is a 32-bit program.
EXPOSURE_GOAL=4.5
ALLOWED_EXPOSED='PrivateNetwork=
IPAddressDeny=
RestrictAddressFamilies=~AF_(INET|INET6)
RestrictAddressFamilies=~AF_UNIX
PrivateUsers=
SystemCallArchitectures=
RootDirectory=/RootImage=
DeviceAllow=
UMask='

skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "booting a service manager needs root"
[ -x /lib/systemd/systemd ] || skip "systemd is not installed"
for tool in unshare nsenter findmnt python3; do
    command -v $tool >/dev/null || skip "$tool is not installed"
done
CGROUP2=$(findmnt -n -t cgroup2 -o TARGET | head -n 1)
[ -n "$CGROUP2" ] || skip "no cgroup2 hierarchy is mounted"
unshare --pid --fork --mount --cgroup --uts --ipc true 2>/dev/null || skip "no private namespaces here"

A=$(mktemp -d "${TMPDIR:-/tmp}/quendry-systemd.XXXXXX")
CG=$CGROUP2/$(basename "$A")
FAILURES=0

system_runs() { [[ "$(in_ns systemctl is-system-running 2>/dev/null)" =~ ^(running|degraded)$ ]]; }
in_ns() { nsenter --target "$(cat "$A/manager.pid")" --mount --pid --uts --ipc --cgroup "$@"; }

cleanup() {
    local manager
    manager=$(cat "$A/manager.pid" 2>/dev/null)
    # PID 1 of the namespace, a child of the unshare this script started: every process in it ends with it.
    [[ "$manager" =~ ^[0-9]+$ ]] && [ "$manager" -gt 1 ] && kill -KILL "$manager" 2>/dev/null
    [ -s "$A/unshare.pid" ] && wait "$(cat "$A/unshare.pid")" 2>/dev/null
    [ -d "$CG" ] && find "$CG" -depth -type d -exec rmdir {} \; 2>/dev/null
    [ -d "$CG" ] && echo "left behind: $CG"
    rm -rf "$A"
}
trap cleanup EXIT
for signal in TERM INT HUP; do
    trap "echo 'FAILED: stopped by SIG$signal'; exit 1" $signal
done

fail() {
    echo "FAILED: $*"
    FAILURES=$((FAILURES + 1))
}

# Polls CONDITION (a shell command run here) until it holds; says what it waits for.
wait_for() {
    local what=$1
    shift
    echo "waiting: $what"
    until "$@"; do sleep 0.2; done
}

property() { in_ns systemctl show -P "$2" "quendry@$1.service"; }
is_state() { [ "$(property "$1" ActiveState)" = "$2" ]; }
has_ended() { ! in_ns systemctl is-active -q "quendry@$1.service"; }
# Restarted at least N times, or failed for good (where the checks that follow tell what went wrong).
restarted() { [ "$(property "$1" NRestarts)" -ge "$2" ] || is_state "$1" failed; }
# The engine was started, or the service ended or failed on the way.
launched() { journal_has "$1" "Launch server : " || is_state "$1" failed || [ "$(property "$1" NRestarts)" -gt 0 ]; }
active_or_failed() { is_state "$1" active || is_state "$1" failed; }
# Failed for good, or restarted more often than the start limit allows.
given_up() { is_state "$1" failed || [ "$(property "$1" NRestarts)" -gt 5 ]; }
journal() { in_ns journalctl --no-pager -o cat -u "quendry@$1.service"; }
journal_has() { journal "$1" | grep -qF -- "$2"; }

# A free UDP port of the machine: the manager shares the host's network.
free_port() { python3 -c 'import socket; s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

install_build() {
    mkdir -p "$A/stage" "$A/units" "$A/etc-upper" "$A/etc-work" "$A/root-home" "$A/srv" \
             "$A/var/tmp" "$A/var/lib" "$A/var/log" "$A/var/cache"
    chmod 1777 "$A/var/tmp"
    ln -s /run "$A/var/run"
    DESTDIR=$A/stage cmake --install "$BUILD" --prefix "$PREFIX" >"$A/install.log" 2>&1 ||
        { cat "$A/install.log"; echo "FAILED: cmake --install"; exit 1; }
    UNIT=$A/stage$PREFIX/lib/systemd/system/quendry@.service
    [ -f "$UNIT" ] || { echo "FAILED: no unit in $PREFIX/lib/systemd/system"; exit 1; }
    grep -q "^ExecStart=$PREFIX/bin/quendry " "$UNIT" || fail "the unit does not start $PREFIX/bin/quendry: $(grep ^ExecStart= "$UNIT")"
    cp "$UNIT" "$A/units/"
    for u in sysinit.target basic.target shutdown.target network-online.target multi-user.target \
             systemd-journald.service systemd-journald.socket; do cp "/lib/systemd/system/$u" "$A/units/"; done
    printf '[Unit]\nDescription=The journal only\nWants=systemd-journald.socket systemd-journald.service\n' \
        >"$A/units/quendry-test.target"
}

boot() {
    local etc_lower=/etc
    [ -d "$A/stage/etc" ] && etc_lower=$A/stage/etc:/etc
    cat >"$A/boot.sh" <<BOOT
#!/bin/bash
# PID 1 of new pid/mount/uts/ipc/cgroup namespaces: set up the view, then become systemd.
set -e
export LIBMOUNT_UTAB=$A/utab
mount --make-rprivate /
mount -t tmpfs -o mode=755,nosuid,nodev tmpfs /run
mkdir /run/quendry-test
mount --bind $A /run/quendry-test
umount -R /sys/fs/cgroup
mount -t cgroup2 -o nosuid,nodev,noexec cgroup2 /sys/fs/cgroup
mount -t overlay overlay -o lowerdir=$etc_lower,upperdir=$A/etc-upper,workdir=$A/etc-work /etc
mount -t overlay overlay -o lowerdir=$A/stage/usr:/usr /usr
mount --bind $A/root-home /root
mount --bind $A/srv /srv
mount --bind $A/var /var
mount -t tmpfs -o mode=1777,nosuid,nodev tmpfs /tmp
mkdir -p /run/systemd/journald.conf.d
printf '[Journal]\nStorage=volatile\nReadKMsg=no\n' >/run/systemd/journald.conf.d/volatile.conf
exec env -i container=quendry-test SYSTEMD_UNIT_PATH=/run/quendry-test/units PATH=/usr/sbin:/usr/bin:/sbin:/bin \\
    /lib/systemd/systemd --unit=quendry-test.target --log-target=journal --log-level=info
BOOT
    chmod +x "$A/boot.sh"
    mkdir -p "$CG"
    # The launcher moves itself into $CG first, so that the new cgroup namespace is rooted there.
    setsid bash -c "echo \$\$ > $CG/cgroup.procs; exec unshare --cgroup --pid --fork --mount --uts --ipc --mount-proc $A/boot.sh" \
        </dev/null >"$A/manager.log" 2>&1 &
    echo $! >"$A/unshare.pid"
    local manager=""
    until manager=$(cat "/proc/$(cat "$A/unshare.pid")/task/$(cat "$A/unshare.pid")/children" 2>/dev/null) && [ -n "$manager" ]; do
        kill -0 "$(cat "$A/unshare.pid")" 2>/dev/null || { cat "$A/manager.log"; echo "FAILED: no manager started"; exit 1; }
        sleep 0.2
    done
    echo "${manager%% *}" >"$A/manager.pid"
    wait_for "the manager to run" system_runs
}

# The game folder /srv/cod as an administrator sets it up: the engine (the stand-in, started by the cod_lnxded
# script with the options of STAND_IN_OPTIONS, or ending at once with ENGINE_EXIT), a map archive and the game's
# configuration, all owned by the service's user.
game_folder() {
    mkdir -p "$A/srv/cod/main" "$A/srv/cod/engine"
    cp "$ENGINE" "$A/srv/cod/engine/stand_in_engine"
    cat >"$A/srv/cod/cod_lnxded" <<'ENGINE'
#!/bin/sh
[ -n "${ENGINE_EXIT:-}" ] && exit "$ENGINE_EXIT"
exec /srv/cod/engine/stand_in_engine ${STAND_IN_OPTIONS:-} "$@"
ENGINE
    chmod 755 "$A/srv/cod/cod_lnxded"
    printf 'seta sv_fps "20"\r\n' >"$A/srv/cod/main/config_mp.cfg"
    python3 - "$A/srv/cod/main/pak0.pk3" <<'ZIP'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1], "w") as pk3:
    pk3.writestr("mp/stock.arena", '{\n map "mp_harbor"\n gametype "dm sd"\n}\n{\n map "mp_carentan"\n gametype "dm sd"\n}\n')
ZIP
    in_ns chown -R quendry:quendry /srv/cod
}

# Writes the instance NAME's settings (a rotation of MAPS on PORT) with `quendry settings new`, as the README's
# recipe does, and its environment (ENV lines), in /etc/quendry.
instance() {
    local name=$1 port=$2 maps=$3 env=$4
    in_ns sh -c "mkdir -p /etc/quendry && printf 'QUENDRY_GAME=/srv/cod\n$env\n' >/etc/quendry/$name.env"
    echo "set net_port $port" | in_ns "$PREFIX/bin/quendry" settings new --force "/etc/quendry/$name.ini" \
        --game /srv/cod "sv_hostname=$name" "rotation=${maps// /,}" gametype=dm dedicated=local advanced=@- \
        >/dev/null || fail "quendry settings new /etc/quendry/$name.ini"
    in_ns chgrp quendry "/etc/quendry/$name.ini"
    in_ns chmod 640 "/etc/quendry/$name.ini"
}

engine_pid() { head -n 1 "$A/srv/cod/BriselaMOD_v2/server-$1.pid" 2>/dev/null; }
runs_as_service_user() {
    local uid pid
    uid=$(in_ns id -u quendry)
    for pid in $(in_ns cat "/sys/fs/cgroup/system.slice/system-quendry.slice/quendry@$1.service/cgroup.procs"); do
        [ "$(in_ns stat -c %u "/proc/$pid")" = "$uid" ] || return 1
    done
}

echo "== install into $PREFIX and boot"
install_build
boot
# Inside, the source tree may be hidden (below /root or /tmp): the script runs from the scratch folder.
cp "$POSTINST" "$A/postinst"
in_ns sh /run/quendry-test/postinst configure || fail "the package's postinst"
in_ns getent passwd quendry | grep -q ':/var/lib/quendry:' || fail "no system user quendry with its home in /var/lib/quendry: $(in_ns getent passwd quendry)"
# No catalogue yet: the service's first Run builds it from the game folder.
game_folder

CLAN=$(free_port)
echo "== an instance serves, as the system user, once the engine answers"
instance clan "$CLAN" "mp_harbor mp_carentan" ""
in_ns systemctl enable --now quendry@clan || fail "systemctl enable --now quendry@clan"
is_state clan active || fail "quendry@clan is $(property clan ActiveState)"
in_ns "$PREFIX/bin/quendry" status --port "$CLAN" >/dev/null || fail "quendry@clan is active but its engine does not answer"
[ "$(property clan StatusText)" = "mp_harbor, dm, 1 player" ] || fail "status text: '$(property clan StatusText)'"
runs_as_service_user clan || fail "a process of quendry@clan does not run as quendry"
[ "$(stat -c %a "$A/srv/cod/BriselaMOD_v2/standard-clan.cfg")" = 600 ] || fail "standard-clan.cfg has mode $(stat -c %a "$A/srv/cod/BriselaMOD_v2/standard-clan.cfg")"

SILENT=$(free_port)
instance silent "$SILENT" "mp_harbor" "STAND_IN_OPTIONS=--never-answer"
in_ns systemctl start --no-block quendry@silent
wait_for "the engine of quendry@silent to start" launched silent
is_state silent activating || fail "quendry@silent is $(property silent ActiveState) while its engine does not answer"
in_ns systemctl stop quendry@silent

echo "== the hardening"
SECURITY=$(in_ns systemd-analyze security --no-pager quendry@clan.service)
EXPOSURE=$(echo "$SECURITY" | sed -n 's/^→ Overall exposure level for quendry@clan.service: \([0-9.]*\) .*/\1/p')
echo "exposure: $EXPOSURE"
[ -n "$EXPOSURE" ] && awk "BEGIN { exit !($EXPOSURE <= $EXPOSURE_GOAL) }" || fail "exposure ${EXPOSURE:-unknown} is above $EXPOSURE_GOAL"
EXPOSED=$(echo "$SECURITY" | grep '^✗' | awk '{ print $2 }' | grep -vFx "$ALLOWED_EXPOSED")
[ -z "$EXPOSED" ] || fail "exposed beyond what a game server needs: $EXPOSED"

echo "== a killed engine is restarted"
ENGINE_PID=$(engine_pid clan)
# A process of the manager's own pid namespace, recorded by quendry when it started the engine.
if [[ "$ENGINE_PID" =~ ^[0-9]+$ ]] && [ "$ENGINE_PID" -gt 1 ] && in_ns kill -KILL "$ENGINE_PID"; then
    wait_for "quendry@clan to restart" restarted clan 1
    [ "$(property clan NRestarts)" = 1 ] || fail "quendry@clan was not restarted"
    wait_for "quendry@clan to be active again" active_or_failed clan
    is_state clan active || fail "quendry@clan is $(property clan ActiveState) after its engine was killed"
    [ "$(engine_pid clan)" != "$ENGINE_PID" ] || fail "the engine was not started again"
else
    fail "no engine of quendry@clan to kill"
fi

echo "== a configuration error is not restarted"
TWIN=$(free_port)
instance twin "$CLAN" "mp_harbor" ""
instance norotation "$TWIN" "" ""
in_ns sh -c "printf 'QUENDRY_GAME=/srv/cod\n' >/etc/quendry/nosettings.env"
for name in twin norotation nosettings; do
    in_ns systemctl start quendry@$name && fail "quendry@$name started"
    wait_for "quendry@$name to end" has_ended $name
    [ "$(property $name ActiveState)/$(property $name NRestarts)" = failed/0 ] ||
        fail "quendry@$name: $(property $name ActiveState) $(property $name SubState), $(property $name NRestarts) restarts"
    journal_has $name "restarting will not help" || fail "quendry@$name does not say that restarting will not help"
done

echo "== stop"
in_ns systemctl stop quendry@clan
is_state clan inactive || fail "quendry@clan is $(property clan ActiveState) after a stop"
[ -z "$(in_ns cat /sys/fs/cgroup/system.slice/system-quendry.slice/quendry@clan.service/cgroup.procs 2>/dev/null)" ] ||
    fail "processes of quendry@clan are left after a stop"

echo "== with QUENDRY_STOP_WARN a stop warns the players first, and the events reach QUENDRY_ON_EVENT"
WARNED=$(free_port)
printf '#!/bin/sh\necho "$QUENDRY_EVENT $QUENDRY_INSTANCE" >>/srv/cod/warned-events\n' >"$A/srv/cod/on-event"
chmod 755 "$A/srv/cod/on-event"
instance warned "$WARNED" "mp_harbor" "STAND_IN_OPTIONS=--rcon-password secret --rcon-log /srv/cod/warned-rcon.log\nQUENDRY_RCON_PASSWORD=secret\nQUENDRY_STOP_WARN=2s\nQUENDRY_ON_EVENT=/srv/cod/on-event"
in_ns systemctl start quendry@warned || fail "systemctl start quendry@warned"
in_ns systemctl stop quendry@warned
is_state warned inactive || fail "quendry@warned is $(property warned ActiveState) after a stop"
grep -q '^[0-9]* say "Server stops in 2 seconds"$' "$A/srv/cod/warned-rcon.log" 2>/dev/null ||
    fail "quendry@warned did not warn its players: $(cat "$A/srv/cod/warned-rcon.log" 2>&1)"
[ "$(cat "$A/srv/cod/warned-events" 2>&1)" = "$(printf 'ready warned\nstopped warned')" ] ||
    fail "the events of quendry@warned: $(cat "$A/srv/cod/warned-events" 2>&1)"

echo "== a hung engine ends with 6 and is restarted"
HUNG=$(free_port)
instance hung "$HUNG" "mp_harbor" "STAND_IN_OPTIONS=--answer-for 2\nQUENDRY_OPTIONS=--hang 2"
in_ns systemctl start quendry@hung || fail "systemctl start quendry@hung"
wait_for "quendry@hung to restart" restarted hung 1
[ "$(property hung NRestarts)" -ge 1 ] || fail "quendry@hung was not restarted"
journal_has hung "Server hung: no answer on port $HUNG" || fail "quendry@hung does not log the hang"
journal_has hung "status=6/" || fail "quendry@hung did not end with 6"
in_ns systemctl stop quendry@hung

echo "== a quendry that no longer feeds the watchdog is killed and restarted"
DOG=$(free_port)
instance dog "$DOG" "mp_harbor" ""
in_ns sh -c "mkdir -p /etc/systemd/system/quendry@dog.service.d && printf '[Service]\nWatchdogSec=3\n' >/etc/systemd/system/quendry@dog.service.d/watchdog.conf && systemctl daemon-reload"
in_ns systemctl start quendry@dog || fail "systemctl start quendry@dog"
in_ns systemctl kill --kill-whom=main --signal=SIGSTOP quendry@dog
wait_for "quendry@dog to restart" restarted dog 1
[ "$(property dog NRestarts)" = 1 ] || fail "quendry@dog was not restarted"
journal_has dog "Watchdog timeout" || in_ns journalctl --no-pager -o cat | grep -q "quendry@dog.service: Watchdog timeout" ||
    fail "no watchdog timeout for quendry@dog"
wait_for "quendry@dog to be active again" active_or_failed dog
is_state dog active || fail "quendry@dog is $(property dog ActiveState) after its watchdog fired"
in_ns systemctl stop quendry@dog

echo "== an engine that keeps failing reaches the start limit"
LOOP=$(free_port)
instance loop "$LOOP" "mp_harbor" "ENGINE_EXIT=7"
in_ns systemctl start --no-block quendry@loop
wait_for "quendry@loop to be given up" given_up loop
is_state loop failed || fail "quendry@loop is $(property loop ActiveState) after $(property loop NRestarts) restarts"
[ "$(property loop NRestarts)" = 5 ] || fail "quendry@loop was restarted $(property loop NRestarts) times"
journal_has loop "quendry@loop.service: Start request repeated too quickly." || fail "quendry@loop did not reach its start limit"

if [ "$FAILURES" != 0 ]; then
    for name in clan silent twin norotation nosettings warned hung dog loop; do
        echo "--- journal of quendry@$name"
        journal $name | tail -n 30
    done
    echo "$FAILURES failures"
    exit 1
fi
echo "all passed"
