#!/usr/bin/env bash
# What a careful administrator would try: a read-only login cannot lock clients out through the
# build stamp, a login outside the groups gets nothing, making a database leaves existing logins'
# passwords alone, and the data source file is private.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database security

stranger="kivt_stranger_$$"
owned="kivt_owned_$$"
scratch="kivt_scratch_$$"
work=$(mktemp -d)
cleanup() {
  kiv_cleanup
  kiv_psql -d postgres -c "DROP DATABASE IF EXISTS $scratch WITH (FORCE)" >/dev/null 2>&1
  kiv_psql -d postgres -c "DROP ROLE IF EXISTS $stranger" -c "DROP ROLE IF EXISTS $owned" >/dev/null 2>&1
  rm -rf "$work"
}
trap cleanup EXIT

stamp() { kiv_as sys -c "SELECT d || ' ' || t || ' ' || delim FROM ver"; }
today=$(kiv_as sys -c "SELECT to_char(current_date, 'YYYYMMDD')")
tomorrow=$(kiv_as sys -c "SELECT to_char(current_date + 1, 'YYYYMMDD')")

# ---- The build stamp: the read-only login raises it through the function and nothing else ----
kiv_psql -d "$KIV_TEST_DB" -c "UPDATE ver SET d = 20240325, t = 54879, delim = '.'" >/dev/null
kiv_expect_error "econom cannot write ver" "permission denied" econom "UPDATE ver SET d = 99999999"
kiv_expect_error "econom cannot change the delimiter" "permission denied" econom "UPDATE ver SET delim = ','"
kiv_expect_error "econom cannot add a row" "permission denied" econom "INSERT INTO ver (d, t) VALUES (99999999, 0)"
# Columns: the stamp offered, what the function answers, the stamp afterwards (each from 20240325 54879).
while IFS='|' read -r offered answer after; do
  kiv_psql -d "$KIV_TEST_DB" -c "UPDATE ver SET d = 20240325, t = 54879" >/dev/null
  kiv_expect "raise_build_stamp($offered)" "$answer" "$(kiv_as econom -c "SELECT raise_build_stamp($offered)" 2>&1)"
  kiv_expect "stamp after $offered" "$after ." "$(stamp)"
done <<CASES
20240325, 54880|t|20240325 54880
20240326, 0|t|20240326 0
20240325, 54879|f|20240325 54879
20240325, 54878|f|20240325 54879
20200101, 0|f|20240325 54879
$today, 86399|t|$today 86399
$tomorrow, 0|f|20240325 54879
99991231, 86399|f|20240325 54879
CASES
kiv_expect_error "a time past midnight is refused" "Неверная метка сборки" econom "SELECT raise_build_stamp(20240326, 86400)"
kiv_expect_error "a day the calendar lacks is refused" "out of range" econom "SELECT raise_build_stamp(20240231, 0)"
kiv_expect "refused stamps change nothing" "20240325 54879 ." "$(stamp)"
# An empty table gets the first client's stamp with the default delimiter.
kiv_psql -d "$KIV_TEST_DB" -c "DELETE FROM ver" >/dev/null
kiv_expect "first stamp written" "t" "$(kiv_as econom -c "SELECT raise_build_stamp(20240325, 54879)")"
kiv_expect "first stamp" "20240325 54879 ." "$(stamp)"
# The function cannot be turned against its own tables through the search path.
kiv_expect "fixed search path" "search_path=pg_catalog, public" \
  "$(kiv_as sys -c "SELECT array_to_string(proconfig, ';') FROM pg_proc WHERE proname = 'raise_build_stamp'")"

# ---- A login outside the groups: no connection, and nothing granted to PUBLIC ----
kiv_psql -d postgres -c "CREATE ROLE $stranger LOGIN PASSWORD 'stranger-pw'" >/dev/null
if output=$(KIV_PASSWORD=stranger-pw kiv_as "$stranger" -c "SELECT 1" 2>&1); then
  kiv_fail "a login outside the groups connected"
else
  kiv_expect "stranger refused" "permission denied" "$(grep -o "permission denied" <<<"$output" | head -1)"
fi
kiv_expect "PUBLIC rights on the database" "" "$(kiv_psql -d "$KIV_TEST_DB" -A -t -c "
  SELECT string_agg(a.privilege_type, ',') FROM pg_database d, aclexplode(d.datacl) a
  WHERE d.datname = current_database() AND a.grantee = 0")"
kiv_expect "functions a stranger may run" "" "$(kiv_psql -d "$KIV_TEST_DB" -A -t -c "
  SELECT string_agg(p.oid::regprocedure::text, ', ') FROM pg_proc p JOIN pg_namespace n ON n.oid = p.pronamespace
  WHERE n.nspname NOT IN ('pg_catalog', 'information_schema') AND n.nspname NOT LIKE 'pg_%'
    AND has_function_privilege('$stranger', p.oid, 'EXECUTE')")"
kiv_expect "public schema for a stranger" "f" \
  "$(kiv_psql -d "$KIV_TEST_DB" -A -t -c "SELECT has_schema_privilege('$stranger', 'public', 'USAGE')")"
kiv_expect "public schema for the groups" "t" \
  "$(kiv_psql -d "$KIV_TEST_DB" -A -t -c "SELECT has_schema_privilege('econom', 'public', 'USAGE')")"

# ---- db/create-database leaves an existing login's password alone ----
# A copy of the scripts in which the fixed login "econom" is a throwaway login of this test, so the
# shared server's demo logins are not touched.
cp -r "$KIV_ROOT/db" "$work/db"
sed -i "s/\beconom\b/$owned/g" "$work/db/roles.sql"
sed -i "s/^econom /$owned /" "$work/db/demo-passwords"
logs_in() { PGPASSWORD=$1 psql -X -q -A -t -h localhost -p 5432 -U "$owned" -d "$scratch" -c "SELECT 1" 2>/dev/null; }
kiv_psql -d postgres -c "CREATE ROLE $owned LOGIN PASSWORD 'own-pw'" >/dev/null
"$work/db/create-database" "$scratch" >/dev/null || kiv_fail "scratch database not created"
kiv_expect "existing login keeps its password" "1" "$(logs_in own-pw)"
kiv_expect "demo password not set on it" "" "$(logs_in demo-econom)"
kiv_psql -d postgres -c "DROP DATABASE $scratch WITH (FORCE)" -c "DROP ROLE $owned" >/dev/null
"$work/db/create-database" "$scratch" >/dev/null || kiv_fail "scratch database not created"
kiv_expect "a login the script creates gets its demo password" "1" "$(logs_in demo-econom)"
kiv_psql -d postgres -c "ALTER ROLE $owned PASSWORD 'own-pw'" >/dev/null
"$work/db/create-database" "$scratch" --if-missing --demo-passwords >/dev/null || kiv_fail "--demo-passwords failed"
kiv_expect "--demo-passwords sets it" "1" "$(logs_in demo-econom)"

# ---- The data source file holds a password: the account's alone ----
ini="$work/odbc.ini"
KIV_ODBC_INI=$ini "$KIV_ROOT/db/define-odbc-source" --dsn kivt_mode
kiv_expect "new data source file" "600" "$(stat -c %a "$ini")"
chmod 644 "$ini"
KIV_ODBC_INI=$ini "$KIV_ROOT/db/define-odbc-source" --dsn kivt_mode
kiv_expect "loose mode mended" "600" "$(stat -c %a "$ini")"
chmod 664 "$ini"
KIV_ODBC_INI=$ini "$KIV_ROOT/db/define-odbc-source" --dsn kivt_mode --remove
kiv_expect "loose mode mended on removal" "600" "$(stat -c %a "$ini")"
kiv_expect "encryption when the server offers it" "SSLmode=prefer" \
  "$(KIV_ODBC_INI=$ini "$KIV_ROOT/db/define-odbc-source" --dsn kivt_mode && grep -i '^sslmode' "$ini")"
kiv_done
