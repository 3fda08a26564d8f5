#!/usr/bin/env bash
# Every schema, domain, table, view, sequence and server function the client names exists with the
# columns it uses (tests/db/catalogue.txt), and the reference rows the screens join on are there.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database catalogue

# The list becomes rows (kind, object, column) that one query checks against the system catalogue.
rows=""
while IFS= read -r line; do
  case "$line" in '' | '#'*) continue ;; esac
  kind=${line%% *}
  rest=${line#* }
  object=${rest%%:*}
  columns=""
  [[ "$rest" == *:* ]] && columns=${rest#*:}
  rows+="('$kind', '$object', NULL),"
  for column in $columns; do rows+="('$kind', '$object', '$column'),"; done
done <"$KIV_ROOT/tests/db/catalogue.txt"

script=$(mktemp)
trap 'rm -f "$script"; kiv_cleanup' EXIT
cat >"$script" <<SQL
CREATE TEMPORARY TABLE wanted (kind text, object text, col text);
INSERT INTO wanted VALUES ${rows%,};
SELECT pg_temp.kiv_check(kind || ' ' || object || coalesce('.' || col, ''), true,
  CASE
    WHEN kind = 'schema' THEN EXISTS (SELECT 1 FROM pg_namespace WHERE nspname = object)
    WHEN kind = 'domain' THEN EXISTS (SELECT 1 FROM pg_type WHERE oid = to_regtype(object) AND typtype = 'd')
    WHEN kind = 'sequence' THEN EXISTS (SELECT 1 FROM pg_class WHERE oid = to_regclass(object) AND relkind = 'S')
    WHEN kind IN ('relation', 'view') AND col IS NULL THEN
      EXISTS (SELECT 1 FROM pg_class WHERE oid = to_regclass(object) AND (kind = 'relation' OR relkind = 'v'))
    WHEN kind IN ('relation', 'view') THEN
      EXISTS (SELECT 1 FROM pg_attribute WHERE attrelid = to_regclass(object) AND attname = col AND NOT attisdropped)
    WHEN kind = 'function' AND col IS NULL THEN to_regprocedure(object) IS NOT NULL
    WHEN kind = 'function' THEN
      coalesce(pg_get_function_result(to_regprocedure(object)) ~ ('[ (]' || col || ' '), false)
  END)
FROM wanted ORDER BY kind, object, col NULLS FIRST;

-- Reference rows the screens join on or name by number.
SELECT pg_temp.kiv_check('department 0', 1::bigint, (SELECT count(*) FROM cmn_department.department WHERE id = 0));
SELECT pg_temp.kiv_check('inventory item 0', 1::bigint, (SELECT count(*) FROM cmn_inventory_items.inventory_items WHERE id = 0));
SELECT pg_temp.kiv_check('unit 4', 1::bigint, (SELECT count(*) FROM cmn_msm.msm WHERE id = 4));
SELECT pg_temp.kiv_check('counterparty 1', 1::bigint, (SELECT count(*) FROM cmn_contractor.jur_person WHERE id = 1));
SELECT pg_temp.kiv_check('hourly kinds with norm prices', 2::bigint,
  (SELECT count(DISTINCT o.id) FROM accounts_dep.oper o JOIN accounts_dep.vid_oper v ON v.id = o.vid
   JOIN accounts_dep.norm n ON n.o_id = o.id WHERE o.id IN (7777, 7778) AND n.price > 0));
SELECT pg_temp.kiv_check('a painting operation type', 1::bigint,
  (SELECT count(*) FROM mnf_operation.operation_type WHERE upper(trim(s_caption)) = 'ПОКРАСКА'));
SELECT pg_temp.kiv_check('item types 0, 1, 3', 3::bigint, (SELECT count(*) FROM cmn_inventory_items.ii_type WHERE id IN (0, 1, 3)));
SELECT pg_temp.kiv_check('nomenclature kind 7', 1::bigint, (SELECT count(*) FROM cmn_inventory_items.nomenclature WHERE id = 7));
SELECT pg_temp.kiv_check('operation results 0 and 1', 2::bigint, (SELECT count(*) FROM mnf_operation.operation_state WHERE id IN (0, 1)));
SELECT pg_temp.kiv_check('one build-stamp row with the point', 1::bigint, (SELECT count(*) FROM ver WHERE delim = '.'));
SELECT pg_temp.kiv_check('the fixed logins as users', 6::bigint,
  (SELECT count(*) FROM adm_user.users WHERE s_name IN ('sys', 'milena', 'econom', 'vesnovskaya', 'zubkova', 'sevastova')));
SQL
kiv_sql_checks econom "$script"
kiv_done
