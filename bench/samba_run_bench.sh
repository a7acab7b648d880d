#!/usr/bin/env bash
# Times one whole run of Quillstead against a fresh Samba AD DC and compares it with the floor:
# the same directory objects added by one `ldapadd` to another fresh DC.
#
#   bench/samba_run_bench.sh [--latency MS] QUILLSTEAD [PERSONS] [WORK_DIR]
#
# QUILLSTEAD is the program to time (scripts/bench-samba builds a Release one). PERSONS defaults
# to 1000, spread over 10 departments and 5 duties. WORK_DIR (default: a new folder in /tmp, at
# most ~50 characters, since the DC's folders go below it) keeps the list, the run log and the
# DCs' folders; it is removed at the end unless it was given.
#
# The run: full tree (OU skeleton, department OUs, department and duty groups, accounts with
# password, UPN, mail, phone, description and names), one public folder and a central private
# folder on the DC's share qdata, no department folders. The floor: one LDIF with the skeleton,
# the department OUs, the users (unicodePwd, userAccountControl 512, pwdLastSet 0 and the same
# attributes), then the groups with their members listed in the entries, all sent by one ldapadd
# over LDAPS. Printed: both times, their ratio, and the LDAP operations of the run (counted by
# the program itself when QUILL_LDAP_STATS is set) per person.
#
# With --latency MS the run and the floor are timed twice, first on loopback as above, then with
# their LDAP connections going through bench/delay_proxy (the program's build folder, or
# DELAY_PROXY), which holds every byte MS milliseconds in each direction. Only LDAP is delayed:
# the program's connections to the DC's LDAPS port are sent to the proxy by
# bench/libconnect_redirect.so (LD_PRELOAD; CONNECT_REDIRECT), its SMB still goes straight to the
# DC; ldapadd is simply pointed at the proxy.
#
# Needs root (the DC binds ports below 1024) and no other DC on this machine (fixed ports).
set -euo pipefail

latency=""
if [ "${1:-}" = --latency ]; then
  latency=${2:?usage: $0 [--latency MS] QUILLSTEAD [PERSONS] [WORK_DIR]}
  shift 2
  [[ "$latency" =~ ^[0-9]+$ ]] && [ "$latency" -le 1000 ] || {
    echo "$0: --latency takes a number of milliseconds (at most 1000)" >&2
    exit 2
  }
fi
program=${1:?usage: $0 [--latency MS] QUILLSTEAD [PERSONS] [WORK_DIR]}
persons=${2:-1000}
work=${3:-}
here=$(cd "$(dirname "$0")/.." && pwd)
fixture=$here/tests/fixtures/samba-dc
readonly departments=10 duties=5 password='Bench-Run-2024!'

[ -x "$program" ] || {
  echo "$0: $program is not an executable" >&2
  exit 2
}
[[ "$persons" =~ ^[1-9][0-9]*$ ]] || {
  echo "$0: PERSONS must be a positive number" >&2
  exit 2
}
keep=yes
if [ -z "$work" ]; then
  work=$(mktemp -d /tmp/qsbench.XXXXXX)
  keep=no
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)
program=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
proxy=${DELAY_PROXY:-$(dirname "$program")/bench/delay_proxy}
redirect=${CONNECT_REDIRECT:-$(dirname "$program")/bench/libconnect_redirect.so}
if [ -n "$latency" ] && { [ ! -x "$proxy" ] || [ ! -f "$redirect" ]; }; then
  echo "$0: $proxy or $redirect is missing (set DELAY_PROXY and CONNECT_REDIRECT)" >&2
  exit 2
fi

dc=""
proxy_pid=""
cleanup() {
  stop_proxy
  if [ -n "$dc" ]; then "$fixture" clean "$dc" >/dev/null 2>&1 || true; fi
  rm -f "$work/floor.ldif" "$work/pw" "$work/unicodepwd"
  if [ "$keep" = no ]; then rm -rf -- "$work"; fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Starts the delay proxy in front of the DC's LDAPS port when the delay ($1 ms) is not 0 and sets
# ldap_addr to what the LDAP clients should connect to and preload to the program's environment.
start_proxy() {
  ldap_addr=$QUILL_DC_HOST
  preload=()
  [ "$1" -gt 0 ] || return 0
  "$proxy" 636 "$1" --max-seconds 1800 --idle-seconds 600 >"$work/proxy.out" 2>&1 &
  proxy_pid=$!
  local port=""
  for _ in $(seq 50); do
    port=$(sed -n 's/^port \([0-9]*\)$/\1/p' "$work/proxy.out")
    [ -n "$port" ] && break
    sleep 0.1
  done
  [ -n "$port" ] || {
    echo "$0: the delay proxy did not start" >&2
    exit 1
  }
  ldap_addr=127.0.0.1:$port
  preload=(LD_PRELOAD="$redirect" QUILL_BENCH_FROM_PORT=636 QUILL_BENCH_TO_PORT="$port")
}
stop_proxy() {
  if [ -n "$proxy_pid" ]; then
    kill "$proxy_pid" 2>/dev/null || true
    wait "$proxy_pid" 2>/dev/null || true
  fi
  proxy_pid=""
}

now_ms() { date +%s%3N; }
seconds() { printf '%d.%03d' $(($1 / 1000)) $(($1 % 1000)); }

start_dc() {
  dc=$work/$1
  "$fixture" clean "$dc" >/dev/null 2>&1 || true
  echo "starting a fresh DC in $dc" >&2
  "$fixture" start "$dc" >/dev/null
  # shellcheck disable=SC1091
  . "$dc/env.sh"
}
# An OpenLDAP tool as Administrator over LDAPS, the DC's CA verified (through its ldap.conf; the
# tools ignore every LDAP* variable when LDAPNOINIT is set).
ldap_tool() {
  local tool=$1
  shift
  env -u LDAPNOINIT LDAPCONF="$QUILL_DC_LDAPCONF" HOME="$dc" "$tool" -x -H "ldaps://${ldap_addr:-$QUILL_DC_HOST}" \
    -D "$QUILL_DC_ADMIN" -y "$QUILL_DC_PASSWORD_FILE" "$@"
}
stop_dc() {
  "$fixture" clean "$dc" >/dev/null
  dc=""
}

# The persons: first name, a last name of their own, description, department, duty, phone.
# Departments and duties are interleaved, as in a list sorted by name.
awk -v n="$persons" -v deps="$departments" -v duties="$duties" 'BEGIN {
  split("Anna Brian Carla David Elena Frank Greta Hugo Irene Jonas Karin Lukas", first, " ")
  printf "First,Last,Description,Department,Duty,Phone\r\nfirst,last,description,department,duty,phone\r\n"
  for (i = 0; i < n; i++)
    printf "%s,Bench%05d,Staff member %d,Dept%02d,Duty%d,555-%05d\r\n", first[i % 12 + 1], i, i,
      (i * 7) % deps, int(i / deps) % duties, i
}' >"$work/list.csv"
(
  umask 077
  printf '%s\n' "$password" >"$work/pw"
)

# --- the run ---------------------------------------------------------------------------------
# time_run DELAY: sets run_ms, made and stats.
time_run() {
  local out=$work/run-$1
  start_dc "dc-run-$1"
  start_proxy "$1"
  rm -rf "$out" "$work/home"
  mkdir -p "$out" "$work/home"
  echo "timing quillstead --batch with $persons persons, LDAP delayed $1 ms each way" >&2
  local t0 status
  t0=$(now_ms)
  set +e
  (cd "$out" && env "${preload[@]}" QUILL_LDAP_STATS=1 LDAPNOINIT=1 \
    LDAPTLS_CACERT="$QUILL_DC_CACERT" HOME="$work/home" KRB5CCNAME="FILE:$work/home/no-ticket" \
    "$program" --batch --dc "$QUILL_DC_HOST" --credentials "$QUILL_DC_AUTH" \
    --domain "$QUILL_DC_DOMAIN" --csv "$work/list.csv" --password-file "$work/pw" \
    --email-domain "$QUILL_DC_DOMAIN" --dir-root "\\\\$QUILL_DC_HOST\\$QUILL_DC_SHARE" \
    --single-public yes --private-dirs yes --private-location central --department-public no \
    >"$out/stdout" 2>"$out/stderr")
  status=$?
  set -e
  run_ms=$(($(now_ms) - t0))
  stop_proxy
  ldap_addr=$QUILL_DC_HOST
  if [ "$status" -ne 0 ]; then
    echo "$0: the run ended with status $status; see $out (kept)" >&2
    tail -n 5 "$out/stdout" "$out/stderr" >&2
    keep=yes
    exit 1
  fi
  made=$(ldap_tool ldapsearch -LLL -b "OU=Users,OU=OU's,$QUILL_DC_BASE_DN" '(objectClass=user)' 1.1 |
    grep -c '^dn:' || true)
  stats=$(grep '^quillstead: LDAP operations' "$out/stderr" || true)
  stop_dc
}

# --- the floor -------------------------------------------------------------------------------
# time_floor DELAY: sets floor_ms and floor_made.
time_floor() {
  start_dc "dc-floor-$1"
  local base=$QUILL_DC_BASE_DN
  local users="OU=Users,OU=OU's,$base"
  local groups="OU=Groups,OU=OU's,$base"
  printf '"%s"' "$password" | iconv -f UTF-8 -t UTF-16LE | base64 -w0 >"$work/unicodepwd"
  (
    umask 077
    awk -v base="$base" -v users="$users" -v groups="$groups" -v domain="$QUILL_DC_DOMAIN" \
      -v pwfile="$work/unicodepwd" -F, '
      function ou(dn) { printf "dn: %s\nobjectClass: organizationalUnit\n\n", dn }
      BEGIN {
        getline pw <pwfile
        ou("OU=OU'"'"'s," base); ou(users); ou(groups)
        ou("OU=GPO'"'"'s,OU=OU'"'"'s," base); ou("OU=Computers,OU=OU'"'"'s," base)
      }
      FNR <= 2 { next }
      {
        sub(/\r$/, "")
        if (!($4 in seen)) { seen[$4] = 1; ou("OU=" $4 "," users) }
        login = substr($1, 1, 1) $2
        dn = "CN=" $1 " " $2 ",OU=" $4 "," users
        printf "dn: %s\nobjectClass: user\nsAMAccountName: %s\nuserPrincipalName: %s@%s\n", dn, login, login, domain
        printf "mail: %s@%s\ntelephoneNumber: %s\ndescription: %s\n", login, domain, $6, $3
        printf "givenName: %s\nsn: %s\ndisplayName: %s %s\n", $1, $2, $1, $2
        printf "unicodePwd:: %s\nuserAccountControl: 512\npwdLastSet: 0\n\n", pw
        g = $4 "_" $5
        members[g] = members[g] "member: " dn "\n"
        if (!((g, $4) in nested)) { nested[g, $4] = 1; parents[$4] = parents[$4] "member: CN=" g "," groups "\n" }
      }
      END {
        for (g in members) printf "dn: CN=%s,%s\nobjectClass: group\nsAMAccountName: %s\n%s\n", g, groups, g, members[g]
        for (d in parents) printf "dn: CN=%s,%s\nobjectClass: group\nsAMAccountName: %s\n%s\n", d, groups, d, parents[d]
      }' "$work/list.csv" >"$work/floor.ldif"
  )
  rm -f "$work/unicodepwd"
  start_proxy "$1"
  echo "timing one ldapadd of the same objects, LDAP delayed $1 ms each way" >&2
  local t0
  t0=$(now_ms)
  ldap_tool ldapadd -f "$work/floor.ldif" >"$work/floor.out"
  floor_ms=$(($(now_ms) - t0))
  stop_proxy
  ldap_addr=$QUILL_DC_HOST
  floor_made=$(ldap_tool ldapsearch -LLL -b "OU=Users,OU=OU's,$QUILL_DC_BASE_DN" \
    '(&(objectClass=user)(pwdLastSet=0)(userAccountControl=512))' 1.1 | grep -c '^dn:' || true)
  rm -f "$work/floor.ldif"
  stop_dc
}

# --- report ----------------------------------------------------------------------------------
report() {
  echo "LDAP delayed:     $1 ms each way$([ "$1" -gt 0 ] && echo " (LDAP only, through bench/delay_proxy; folders and shares not delayed)")"
  echo "quillstead run:   $(seconds "$run_ms") s (accounts made: $made)"
  echo "floor (ldapadd):  $(seconds "$floor_ms") s (enabled accounts with pwdLastSet 0: $floor_made)"
  awk -v r="$run_ms" -v f="$floor_ms" 'BEGIN { printf "ratio:            %.2f\n", r / f }'
  if [ -n "$stats" ]; then
    echo "${stats#quillstead: }"
    # The numbers of the line in order: searches, ms, adds, ms, modifies, ms, password modifies,
    # ms, deletes, ms, failed, ms.
    tr -c '0-9\n' ' ' <<<"$stats" | awk -v n="$persons" -v r="$run_ms" '{
      printf "per person:       %.2f requests: %.2f searches, %.2f adds, %.2f modifies (%.2f with a password); %.2f failed\n",
        ($1 + $3 + $5 + $9) / n, $1 / n, $3 / n, $5 / n, $7 / n, $11 / n
      printf "time in LDAP:     searches %.1f s, adds %.1f s, password modifies %.1f s, other modifies %.1f s (failed operations %.1f s); outside LDAP %.1f s\n",
        $2 / 1000, $4 / 1000, $8 / 1000, ($6 - $8) / 1000, $12 / 1000, (r - $2 - $4 - $6) / 1000
    }'
  fi
}

echo "persons:          $persons ($departments departments, $duties duties)"
for delay in 0 ${latency:+$latency}; do
  [ "$delay" = 0 ] && [ -n "$latency" ] && [ "$latency" = 0 ] && continue
  time_run "$delay"
  time_floor "$delay"
  report "$delay"
done
