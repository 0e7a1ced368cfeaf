# Sourced by the picture scripts of the resource module; uses their $C (convert) and $tmp.
# One tileable noise channel: blurred random fields (wrapped at the edges) summed with
# the given weights, stretched to the full range.
noise() {  # noise <seed> <size> <out> <blur:weight>...
  local seed=$1 size=$2 dest=$3; shift 3
  local layers=() poly=""
  local n=0
  for octave in "$@"; do
    local blur=${octave%:*} weight=${octave#*:}
    "$C" -size "${size}x${size}" xc:gray50 -seed $((seed + n)) +noise Random -colorspace Gray \
         -virtual-pixel tile -blur "0x$blur" -auto-level "$tmp/l$n.png"
    layers+=("$tmp/l$n.png"); poly="$poly$weight,1 "; n=$((n + 1))
  done
  "$C" "${layers[@]}" -poly "$poly" -auto-level "$dest"
}
