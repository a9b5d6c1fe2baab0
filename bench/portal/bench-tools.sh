# Sourced by the download benches: the two bench programs of BUILD_DIR, curl
# beside them, and a work folder. Sets client, server and work.
client=$build/bench/portal/bench_download
server=$build/bench/portal/bench_stream_server
for f in "$client" "$server"; do
  [ -x "$f" ] || { echo "missing $f (build the bench targets first)" >&2; exit 1; }
done
command -v curl >/dev/null || { echo "curl is needed" >&2; exit 1; }
work=$(mktemp -d)
