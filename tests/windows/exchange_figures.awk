# Sums vmkctl --trace output: per exchange the request and reply bytes and
# the response time the trace gives (from the request's first byte to the
# reply's last). Prints: exchanges, bytes, measured ms, wire ms + turnaround,
# ratio. Variables: baud (bit/s), turnaround (ms per exchange), bits (per byte).
function hexcount(from,    n, i) {
  n = 0
  for (i = from; i <= NF && $i ~ /^[0-9a-f][0-9a-f]$/; i++) n++
  return n
}
$2 == "->" { request = hexcount(3) }
$2 == "<-" {
  reply = hexcount(3)
  for (i = 3 + reply; i < NF; i++)
    if ($i == "ok" && $(i + 2) == "ms") {
      exchanges++
      bytes += request + reply
      measured += $(i + 1)
      break
    }
}
END {
  wire = bytes * bits * 1000 / baud + exchanges * turnaround
  printf "%d %d %.1f %.1f %.2f\n", exchanges, bytes, measured, wire, (wire > 0 ? measured / wire : 0)
}
