# Prints the Debian archive this machine's bookworm packages come from, as
# its apt sources name it (no host is written into the project); updates the
# package lists once when they are not there yet. Sourced; defines
# debian_mirror.
debian_mirror() {
  local uri
  find_uri() {
    apt-get indextargets --format '$(REPO_URI) $(RELEASE) $(LABEL)' 2>/dev/null |
      awk '$2 == "bookworm" && $3 == "Debian" { print $1; exit }'
  }
  uri=$(find_uri)
  if [ -z "$uri" ]; then
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq >&2
    uri=$(find_uri)
  fi
  [ -n "$uri" ] || { echo "this machine's apt sources name no Debian bookworm archive" >&2; return 1; }
  echo "$uri"
}
