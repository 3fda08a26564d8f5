#!/usr/bin/env bash
# Schema, roles and demo data load into an empty database without an error or a warning, and
# loading again (a reset) works; --if-missing keeps a database that exists.
. "$(dirname "$0")/lib.sh"
KIV_TEST_DB="kivt_load_$$"

load() {
  local output
  if output=$("$KIV_ROOT/db/create-database" "$KIV_TEST_DB" 2>&1); then kiv_pass; else kiv_fail "$1 load failed: $output"; fi
  kiv_expect "$1 load prints nothing" "" "$output"
}

load first
kiv_expect "demo data loaded" "t" "$(kiv_query "$KIV_TEST_DB" "SELECT (SELECT count(*) FROM accounts_dep.smena) > 60
  AND (SELECT count(*) FROM stk_stocks.stk_move) > 10 AND (SELECT count(*) FROM accounts_dep.h_tabel) > 10")"
kiv_expect "owned by the owner role" "kiv_owner" "$(kiv_query "$KIV_TEST_DB" "SELECT DISTINCT tableowner FROM pg_tables WHERE schemaname = 'mnf_app'")"
kiv_expect "date style of the database" "ISO, DMY" "$(kiv_as econom -c "SHOW datestyle")"

kiv_as sys -c "INSERT INTO cmn_msm.msm (s_caption, s_identification) VALUES ('Тонна', 'т')" >/dev/null
"$KIV_ROOT/db/create-database" "$KIV_TEST_DB" --if-missing
kiv_expect "--if-missing keeps the data" 1 "$(kiv_as sys -c "SELECT count(*) FROM cmn_msm.msm WHERE s_identification = 'т'")"
load second
kiv_expect "loading again starts afresh" 0 "$(kiv_as sys -c "SELECT count(*) FROM cmn_msm.msm WHERE s_identification = 'т'")"

# A database named by a script must be a plain identifier.
if "$KIV_ROOT/db/create-database" "bad;name" >/dev/null 2>&1; then kiv_fail "bad name accepted"; else kiv_pass; fi
kiv_done
