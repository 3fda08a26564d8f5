# Helpers of the database tests: a fresh database per test, psql as a login, checks that count.
# Sourced by tests/db/*.sh; each test ends with kiv_done, which prints "N passed, N failed".

set -uo pipefail
KIV_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$KIV_ROOT/db/lib.sh"
KIV_PASSED=0
KIV_FAILED=0
KIV_TEST_DB=""

# The test's database is dropped in the background: the drop waits for a checkpoint, and nothing
# after the test needs it gone.
kiv_cleanup() {
  [ -z "$KIV_TEST_DB" ] || setsid "$KIV_ROOT/db/drop-database" "$KIV_TEST_DB" </dev/null >/dev/null 2>&1 &
}
trap kiv_cleanup EXIT

# A fresh copy of the template for this test, named after the test and the process.
kiv_fresh_database() {
  KIV_TEST_DB="kivt_$1_$$"
  "$KIV_ROOT/db/test-database" "$KIV_TEST_DB" || { echo "cannot create $KIV_TEST_DB"; exit 1; }
  # The checks keep their results in temporary tables of the login's session; the program needs none.
  kiv_psql -d postgres -c "GRANT TEMPORARY ON DATABASE $KIV_TEST_DB TO kiv_read" >/dev/null
}

kiv_password() {
  awk -v login="$1" '$1 == login { print $2 }' "$KIV_ROOT/db/demo-passwords"
}

# psql over TCP as a login with its demo password (or $KIV_PASSWORD), unaligned, tuples only.
kiv_as() {
  local login=$1
  shift
  PGPASSWORD=${KIV_PASSWORD:-$(kiv_password "$login")} PGCLIENTENCODING=UTF8 \
    psql -X -q -A -t -v ON_ERROR_STOP=1 -h localhost -p 5432 -U "$login" -d "$KIV_TEST_DB" "$@"
}

kiv_pass() {
  KIV_PASSED=$((KIV_PASSED + 1))
}

kiv_fail() {
  KIV_FAILED=$((KIV_FAILED + 1))
  echo "FAIL: $*"
}

# kiv_expect DESCRIPTION EXPECTED ACTUAL
kiv_expect() {
  if [ "$2" = "$3" ]; then kiv_pass; else kiv_fail "$1: expected [$2], got [$3]"; fi
}

# kiv_expect_error DESCRIPTION PATTERN LOGIN SQL: the statement fails with a message matching PATTERN.
kiv_expect_error() {
  local output
  if output=$(kiv_as "$3" -c "$4" 2>&1); then
    kiv_fail "$1: succeeded, expected an error matching '$2'"
  elif [[ "$output" =~ $2 ]]; then
    kiv_pass
  else
    kiv_fail "$1: error [$output] does not match '$2'"
  fi
}

# kiv_expect_ok DESCRIPTION LOGIN SQL: the statement runs.
kiv_expect_ok() {
  local output
  if output=$(kiv_as "$2" -c "$3" 2>&1); then kiv_pass; else kiv_fail "$1: $output"; fi
}

# Runs a test script (tests/db/assert.sql first) as a login in one session and takes over its
# counts; prints its failures.
kiv_sql_checks() {
  local login=$1 script=$2 output line
  output=$({ cat "$KIV_ROOT/tests/db/assert.sql"; cat "$script"; echo "SELECT * FROM pg_temp.kiv_report();"; } |
    kiv_as "$login" -v ON_ERROR_STOP=1 2>&1)
  while IFS= read -r line; do
    if [[ "$line" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
      KIV_PASSED=$((KIV_PASSED + BASH_REMATCH[1]))
      KIV_FAILED=$((KIV_FAILED + BASH_REMATCH[2]))
      return 0
    fi
    [ -z "$line" ] || echo "$line"
  done <<<"$output"
  kiv_fail "$script as $login did not finish"
}

kiv_done() {
  echo "$KIV_PASSED passed, $KIV_FAILED failed"
  [ "$KIV_FAILED" = 0 ]
}
