#!/usr/bin/env bash
# Server functions, cascades and kept references (tests/db/functions.sql as "sys") and the
# clean-up function across schemas (tests/db/truncate.sql as an administrator).
. "$(dirname "$0")/lib.sh"
kiv_fresh_database functions
kiv_sql_checks sys "$KIV_ROOT/tests/db/functions.sql"

output=$({ echo "SET ROLE kiv_owner;"; cat "$KIV_ROOT/tests/db/assert.sql" "$KIV_ROOT/tests/db/truncate.sql"; echo "SELECT * FROM pg_temp.kiv_report();"; } |
  kiv_psql -d "$KIV_TEST_DB" -A -t 2>&1)
summary=$(echo "$output" | tail -1)
echo "$output" | grep '^FAIL' || true
if [[ "$summary" =~ ^([0-9]+)\ passed,\ ([0-9]+)\ failed$ ]]; then
  KIV_PASSED=$((KIV_PASSED + BASH_REMATCH[1])); KIV_FAILED=$((KIV_FAILED + BASH_REMATCH[2]))
else
  kiv_fail "truncate.sql did not finish: $output"
fi
kiv_done
