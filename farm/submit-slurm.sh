#!/bin/bash
# Renders frames FIRST to LAST of a sequence on a Slurm cluster, CHUNK frames per array task.
#   submit-slurm.sh [sbatch options...] -- FIRST LAST CHUNK INPUT_PATTERN OUTPUT_PATTERN [zephyrine-render options...]
# e.g.
#   submit-slurm.sh --partition=render -- 1001 1100 10 shot.####.exr out/shot.####.exr --tilt-forward 0.2
# Prints the job id. Rerunning the same command with --no-clobber among the tool's options
# redoes only the frames whose outputs are missing (a failed chunk's, say). sbatch --wait
# among the sbatch options waits for the whole array and exits with its worst task's code.
# ZEPHYRINE_RENDER names the tool if it is not zephyrine-render on the nodes' PATH.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

sbatch_options=()
while (($# > 0)) && [[ $1 != -- ]]; do
    sbatch_options+=("$1")
    shift
done
if (($# < 6)); then
    echo "usage: submit-slurm.sh [sbatch options...] -- FIRST LAST CHUNK INPUT_PATTERN OUTPUT_PATTERN [options...]" >&2
    exit 2
fi
shift # the --
first=$1 last=$2 chunk=$3
shift 3
if ! [[ $first =~ ^-?[0-9]+$ && $last =~ ^-?[0-9]+$ && $chunk =~ ^[0-9]+$ ]] || ((chunk < 1 || last < first)); then
    echo "submit-slurm.sh: FIRST and LAST must be frame numbers with FIRST <= LAST, CHUNK at least 1" >&2
    exit 2
fi
tasks=$(((last - first) / chunk))
export ZEPHYRINE_FIRST=$first ZEPHYRINE_LAST=$last ZEPHYRINE_CHUNK=$chunk
exec sbatch --parsable --array="0-$tasks" "${sbatch_options[@]}" "$here/zephyrine-chunk.sbatch" "$@"
