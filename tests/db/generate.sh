#!/usr/bin/env bash
# The volume generator adds coherent data at the asked scale: items with processes, shift records
# whose timesheet rows add up, the movement log; the screens' statements still run on it.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database generate
q() { kiv_query "$KIV_TEST_DB" "$*"; }

items_before=$(q "SELECT count(*) FROM cmn_inventory_items.inventory_items")
moves_before=$(q "SELECT count(*) FROM stk_stocks.stk_move")
records_before=$(q "SELECT count(*) FROM accounts_dep.smena")
if output=$("$KIV_ROOT/db/generate" "$KIV_TEST_DB" --months 2 --items 200 --moves 3000 --workers 20 2>&1); then
  kiv_pass
else
  kiv_fail "generate failed: $output"
fi
kiv_expect "prints nothing" "" "$output"
kiv_expect "items" $((items_before + 200)) "$(q "SELECT count(*) FROM cmn_inventory_items.inventory_items")"
kiv_expect "moves" $((moves_before + 3000 + 200)) "$(q "SELECT count(*) FROM stk_stocks.stk_move")"
kiv_expect "every product and blank has a process with operations" 0 "$(q "SELECT count(*) FROM cmn_inventory_items.inventory_items ii
  WHERE ii.id_type IN (1, 2) AND ii.id > 16 AND NOT EXISTS (SELECT 1 FROM mnf_proc_tech.proc_tech pt
  JOIN mnf_operation.operation o ON o.id_proc_tech = pt.id WHERE pt.id_inventory_items = ii.id)")"
kiv_expect "no process makes an item from itself" 0 "$(q "SELECT count(*) FROM mnf_proc_tech.proc_tech WHERE id_inventory_items = id_gds")"
kiv_expect "shift records over the months" t "$(q "SELECT count(*) > $records_before + 500 AND min(data) < current_date - 28 FROM accounts_dep.smena")"
kiv_expect "timesheet rows add up to the records' hours" 0 "$(q "SELECT count(*) FROM (
  SELECT s.w_id, s.smena, extract(month FROM s.data) m, extract(year FROM s.data) y, sum(s.time) hours
  FROM accounts_dep.smena s WHERE s.w_id > 14 GROUP BY 1, 2, 3, 4) s
  FULL JOIN (SELECT w_id, smena, month m, year y, d1+d2+d3+d4+d5+d6+d7+d8+d9+d10+d11+d12+d13+d14+d15+d16+d17+d18+d19+d20+d21+d22+d23+d24+d25+d26+d27+d28+d29+d30+d31 hours
             FROM accounts_dep.h_tabel WHERE w_id > 14 AND i_type = 0) h USING (w_id, smena, m, y)
  WHERE s.hours IS DISTINCT FROM h.hours")"
kiv_expect "records name lines of their product" 0 "$(q "SELECT count(*) FROM accounts_dep.smena s JOIN mnf_app.app_spec a ON a.id = s.id_doc_item WHERE a.id_ii <> s.i_id")"
if "$KIV_ROOT/db/generate" "$KIV_TEST_DB" --items 0 >/dev/null 2>&1; then kiv_fail "zero items accepted"; else kiv_pass; fi

corpus=$(python3 "$KIV_ROOT/tests/db/run_corpus.py" "$KIV_TEST_DB" sys "$(kiv_password sys)" "$KIV_ROOT"/tests/db/corpus/*.sql)
kiv_expect "the corpus runs on the volume data" "0 failed" "$(echo "$corpus" | tail -1 | sed 's/.*, //')"
kiv_done
