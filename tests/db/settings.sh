#!/usr/bin/env bash
# Settings every session of a login gets: dates read day first, the unqualified names the screens
# use resolve, and the ODBC driver reaches the database both with the login's connection string
# and through a user data source, booleans arriving as characters.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database settings

# '05.03.2024' is 5 March, in a plain literal and in a date column written the way the screens
# do; the unqualified names of the screens resolve for a login without settings of its own.
script=$(mktemp)
trap 'rm -f "$script"; kiv_cleanup' EXIT
cat >"$script" <<'SQL'
CREATE FUNCTION pg_temp.schema_of(name text) RETURNS text LANGUAGE sql AS
  'SELECT relnamespace::regnamespace::text FROM pg_class WHERE oid = name::regclass';
SELECT pg_temp.kiv_check('literal day first', DATE '2024-03-05', '05.03.2024'::date);
SELECT pg_temp.kiv_check('timestamp text', TIMESTAMP '2024-03-05 14:30', '05.03.2024 14:30'::timestamp);
SELECT pg_temp.kiv_check('date style', 'ISO, DMY', current_setting('datestyle'));
SELECT pg_temp.kiv_check('ver', 1::bigint, (SELECT count(*) FROM ver));
SELECT pg_temp.kiv_check('iif', 'Заготовки', iif(1=0, 'Готовая продукция', 'Заготовки'));
SELECT pg_temp.kiv_check('inventory_items is the current table', 'cmn_inventory_items', pg_temp.schema_of('inventory_items'));
SELECT pg_temp.kiv_check('app_spec', 'mnf_app', pg_temp.schema_of('app_spec'));
SELECT pg_temp.kiv_check('oper is the older name', 'accounts_dep', pg_temp.schema_of('oper'));
SELECT pg_temp.kiv_check('truncate_tables', 'truncate_tables(text)', 'truncate_tables(text)'::regprocedure::text);
SQL
kiv_sql_checks econom "$script"
kiv_expect "date column" "2024-03-05|5|3" "$(kiv_as sys -c "
  INSERT INTO stk_stocks.stock_in (date_in, id_accomp_doc, id_jur_pers, id_department)
  VALUES('05.03.2024', '0', 3, 4) RETURNING date_in, extract(day FROM date_in), extract(month FROM date_in)")"

# A wrong password is refused by the server.
if KIV_PASSWORD=wrong kiv_as econom -c "SELECT 1" >/dev/null 2>&1; then kiv_fail "wrong password accepted"; else kiv_pass; fi

# The login's connection string without a data source.
odbc() {
  isql -b -d'|' -k "DRIVER={PostgreSQL UNICODE};DATABASE=$KIV_TEST_DB;SERVER=localhost;PORT=5432;UID=$1;PWD=$(kiv_password "$1");SSLmode=prefer;ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1" 2>&1
}
kiv_expect "ODBC date" "2024-03-05" "$(echo "SELECT '05.03.2024'::date" | odbc econom | tr -d ' \r')"
kiv_expect "ODBC boolean as character" "1|Администратор" \
  "$(echo "SELECT b_active, s_caption FROM adm_role.roles WHERE id = 1" | odbc econom | tr -d ' \r')"

# A user data source made by db/define-odbc-source, removed again afterwards.
dsn="kivt_dsn_$$"
"$KIV_ROOT/db/define-odbc-source" --dsn "$dsn" --database "$KIV_TEST_DB"
"$KIV_ROOT/db/define-odbc-source" --dsn "$dsn" --database "$KIV_TEST_DB"
home=$(getent passwd "$(id -un)" | cut -d: -f6)
kiv_expect "one section per data source" 1 "$(grep -c "^\[$dsn\]" "$home/.odbc.ini")"
kiv_expect "data source" "Петров Сергей Иванович" \
  "$(echo "SELECT s_caption FROM cmn_contractor.person WHERE id = 1" | isql -b -d'|' "$dsn" sys "$(kiv_password sys)" 2>&1 | sed 's/ *$//')"
"$KIV_ROOT/db/define-odbc-source" --dsn "$dsn" --remove
kiv_expect "data source removed" 0 "$(grep -c "^\[$dsn\]" "$home/.odbc.ini")"
kiv_done
