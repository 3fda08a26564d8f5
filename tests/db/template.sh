#!/usr/bin/env bash
# Many tests copy the template at once: every copy is made, carries the per-database settings and
# its own data; nobody can connect to the template itself.
. "$(dirname "$0")/lib.sh"

names=()
for i in 1 2 3 4; do names+=("kivt_copy${i}_$$"); done
trap 'kiv_cleanup; for n in "${names[@]}"; do KIV_TEST_DB=$n kiv_cleanup; done' EXIT

pids=()
for n in "${names[@]}"; do
  "$KIV_ROOT/db/test-database" "$n" &
  pids+=($!)
done
for i in "${!pids[@]}"; do
  if wait "${pids[$i]}"; then kiv_pass; else kiv_fail "copy ${names[$i]} failed"; fi
done
records=$(KIV_TEST_DB=${names[0]} kiv_as sys -c "SELECT count(*) FROM accounts_dep.smena")
for n in "${names[@]}"; do
  kiv_expect "$n settings" "ISO, DMY|$records" \
    "$(KIV_TEST_DB=$n kiv_as sys -c "SELECT current_setting('datestyle') || '|' || count(*) FROM accounts_dep.smena")"
done

# Copies are independent.
KIV_TEST_DB=${names[0]} kiv_as sys -c "DELETE FROM stk_stocks.stock_in WHERE id = 2" >/dev/null
kiv_expect "a change stays in its copy" 1 "$(KIV_TEST_DB=${names[1]} kiv_as sys -c "SELECT count(*) FROM stk_stocks.stock_in WHERE id = 2")"

kiv_expect "template marked" "true|false" "$(kiv_query postgres "SELECT datistemplate || '|' || datallowconn FROM pg_database WHERE datname = '$KIV_TEMPLATE'")"
if KIV_TEST_DB=$KIV_TEMPLATE kiv_as sys -c "SELECT 1" >/dev/null 2>&1; then kiv_fail "connected to the template"; else kiv_pass; fi

# A test database is dropped even while a session is connected to it.
(KIV_TEST_DB=${names[2]} kiv_as sys -c "SELECT pg_sleep(20)" >/dev/null 2>&1 &)
sleep 0.5
"$KIV_ROOT/db/drop-database" "${names[2]}"
kiv_expect "dropped with a session open" "" "$(kiv_query postgres "SELECT 1 FROM pg_database WHERE datname = '${names[2]}'")"
kiv_done
