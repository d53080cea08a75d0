#!/bin/bash
# The Slurm recipe on a real scheduler: a single-node cluster started here from Debian's
# slurmctld, slurmd and munge, everything in a folder of its own (its own munge key and socket,
# configuration, state, logs, and ports on the loopback address; no system service touched).
# A 24-frame half-float EXR sequence is rendered in chunks of 5, one array task each, with one
# frame missing at first: that chunk's task fails, the others do not. Rerun with --no-clobber,
# the job redoes only the missing frame. Every output must equal a single-process render of the
# same frame byte for byte. The daemons it started are stopped by their process ids.
# Usage: check_farm_slurm.sh SOURCE_DIR BIN_DIR
set -euo pipefail
source_dir=$1
bin=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
for tool in munged mungekey slurmctld slurmd sbatch sinfo scontrol; do
    command -v "$tool" >/dev/null ||
        fail "$tool is missing: this test needs Debian's slurmctld, slurmd, slurm-client and munge (scripts/install-deps.sh installs them)"
done

work=$(mktemp -d /tmp/zephyrine-slurm.XXXXXX)
pid_files=()
stop_daemons() {
    local pid_file
    for pid_file in "${pid_files[@]}"; do
        [ -f "$pid_file" ] && kill "$(cat "$pid_file")" 2>/dev/null || true
    done
    sleep 1
    rm -rf "$work"
}
trap stop_daemons EXIT
show_logs() { tail -n 20 "$work"/log/* >&2 || true; }

mkdir -p "$work/munge" "$work/state" "$work/spool" "$work/log" "$work/jobs"
chmod 700 "$work/munge"
chmod 755 "$work"
mungekey --create --keyfile="$work/munge/munge.key"
munged --force --socket="$work/munge/socket" --key-file="$work/munge/munge.key" \
    --pid-file="$work/munge/munged.pid" --log-file="$work/log/munged.log" --seed-file="$work/munge/seed"
pid_files+=("$work/munge/munged.pid")

# Two ports on the loopback address that nothing listens on.
port=$((20000 + ($$ % 2000) * 2))
while ss -Hltn "( sport = :$port or sport = :$((port + 1)) )" 2>/dev/null | grep -q .; do
    port=$((port + 2))
done
export SLURM_CONF="$work/slurm.conf"
cat > "$SLURM_CONF" <<CONF
ClusterName=zephyrinetest
SlurmctldHost=localhost(127.0.0.1)
SlurmctldPort=$port
SlurmdPort=$((port + 1))
SlurmUser=root
SlurmdUser=root
AuthType=auth/munge
AuthInfo=socket=$work/munge/socket
CredType=cred/munge
StateSaveLocation=$work/state
SlurmdSpoolDir=$work/spool/%n
SlurmctldPidFile=$work/state/slurmctld.pid
SlurmdPidFile=$work/spool/slurmd.pid
SlurmctldLogFile=$work/log/slurmctld.log
SlurmdLogFile=$work/log/slurmd.log
ProctrackType=proctrack/linuxproc
TaskPlugin=task/none
JobAcctGatherType=jobacct_gather/none
AccountingStorageType=accounting_storage/none
JobCompType=jobcomp/none
SchedulerType=sched/backfill
SelectType=select/cons_tres
SelectTypeParameters=CR_Core
MpiDefault=none
ReturnToService=2
NodeName=farmnode NodeAddr=127.0.0.1 NodeHostname=localhost CPUs=$(nproc) State=UNKNOWN
PartitionName=render Nodes=ALL Default=YES MaxTime=INFINITE State=UP
CONF
slurmctld -i -f "$SLURM_CONF" || { show_logs; fail "slurmctld did not start"; }
pid_files+=("$work/state/slurmctld.pid")
slurmd -f "$SLURM_CONF" -N farmnode || { show_logs; fail "slurmd did not start"; }
pid_files+=("$work/spool/slurmd.pid")
for _ in $(seq 60); do
    [ "$(sinfo -h -o %t 2>/dev/null)" = "idle" ] && break
    sleep 0.5
done
[ "$(sinfo -h -o %t 2>/dev/null)" = "idle" ] || { show_logs; fail "the node did not come up: $(sinfo 2>&1)"; }
echo "--- a single-node cluster is up on ports $port and $((port + 1))"

seq_dir="$work/sequence"
mkdir -p "$seq_dir"
"$bin/make_sequence" "$seq_dir/in.####.exr" 1 24 96 64
controls=(--tilt-forward 0.3 --invert-y)
"$bin/zephyrine-render" --jobs 1 --quiet "${controls[@]}" --frames 1-24 "$seq_dir/in.####.exr" -o "$work/single/out.####.exr"

export ZEPHYRINE_RENDER="$bin/zephyrine-render"
submit() {
    "$source_dir/farm/submit-slurm.sh" --wait --output="$work/jobs/%A_%a.out" -- 1 24 5 \
        "$seq_dir/in.####.exr" "$work/farm/out.####.exr" "${controls[@]}" "$@"
}

echo "--- frames 1-24 in chunks of 5, frame 12 missing"
mv "$seq_dir/in.0012.exr" "$work/held-back.exr"
if job=$(submit); then fail "the job succeeded although frame 12 was missing"; fi
job=${job%%;*}
states=$(scontrol show job "$job" | awk '/ArrayTaskId=/ {for (i = 1; i <= NF; i++) if ($i ~ /^ArrayTaskId=/) task = substr($i, 13)} /JobState=/ {for (i = 1; i <= NF; i++) if ($i ~ /^JobState=/) print task, substr($i, 10)}' | sort -n | tr '\n' ' ')
[ "$states" = "0 COMPLETED 1 COMPLETED 2 FAILED 3 COMPLETED 4 COMPLETED " ] || fail "task states: $states"
[ ! -e "$work/farm/out.0012.exr" ] || fail "frame 12 was written"
[ "$(ls "$work/farm" | wc -l)" = 23 ] || fail "expected the 23 other frames: $(ls "$work/farm")"

echo "--- the same job again with --no-clobber, frame 12 back"
mv "$work/held-back.exr" "$seq_dir/in.0012.exr"
rm -f "$work"/jobs/*
submit --no-clobber >/dev/null || { cat "$work"/jobs/* >&2; fail "the rerun failed"; }
skipped=$(cat "$work"/jobs/* | grep -c "exists, skipped" || true)
[ "$skipped" = 23 ] || fail "the rerun skipped $skipped frames, not 23"

for frame in $(seq -w 1 24); do
    name=out.00$frame.exr
    cmp "$work/single/$name" "$work/farm/$name" || fail "$name differs from the single-process render"
done
echo "farm ok: 24 frames from 5 array tasks equal the single-process render"
