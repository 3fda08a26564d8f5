#!/usr/bin/env bash
# The database holds each fixed login to its rights: "econom" reads but changes no data, the three
# shift-acceptance logins accept but do not enter shift records, a login without fixed rights
# enters but does not accept, and only an administrator runs the clean-up.
. "$(dirname "$0")/lib.sh"
kiv_fresh_database rights

# A login without fixed rights ("any other") gets the group kiv_user.
other="kivt_other_$$"
kiv_psql -d postgres -c "CREATE ROLE $other LOGIN PASSWORD 'other-pw' IN ROLE kiv_user" >/dev/null
trap 'kiv_cleanup; kiv_psql -d postgres -c "DROP ROLE IF EXISTS $other" >/dev/null 2>&1' EXIT

# Statements of the screens, one or more per area, and whether each login may run them; each runs
# in a transaction that is rolled back. Columns: econom, vesnovskaya, other, milena, sys.
cases=$(cat <<'CASES'
ok ok ok ok ok|SELECT count(*) FROM accounts_dep.smena
ok ok ok ok ok|SELECT raise_build_stamp(20240325, 54879)
no no no no no|UPDATE ver SET d = 20240325, t = 54879
no no no no no|INSERT INTO ver (d, t, delim) VALUES (20240325, 54879, ',')
no ok ok ok ok|INSERT INTO mnf_app.app_doc(id_jur_person, id_person, d_mnf, d_out)VALUES(6, 12, '05.03.2024', '12.03.2024')
no ok ok ok ok|UPDATE mnf_app.app_spec SET done=done+1 WHERE id=5
no ok ok ok ok|UPDATE mnf_proc_tech.tp_operation SET done=done+1 WHERE app_spec_id=5
no ok ok ok ok|UPDATE stk_stocks.stock SET count=count-1 WHERE id=9
no ok ok ok ok|DELETE FROM stk_stocks.stock_in WHERE id=2
no ok ok ok ok|INSERT INTO stk_purchase.purchase_doc( id_jur_person, id_person, d_in)VALUES(4, 13, '06.03.2024')
no ok ok ok ok|UPDATE cmn_inventory_items.inventory_items set cost_price = 610 WHERE id=7
no ok ok ok ok|UPDATE accounts_dep.smena SET ok='ok' where id_doc_item=4
no ok ok ok ok|SELECT stk_purchase.ins_purch_doc(12, '25.03.2024')
no ok ok ok ok|SELECT mnf_app.ins_app_spec(12,2.5,5, 7,9, 5100, 3950)
no no ok ok ok|insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(9, 12, 10002, 12,1.5, 0, to_date('05.03.2024', 'DD.MM.YYYY HH24:MI:SS'), 1, 0, 8, now(), 'no', 0, 3, 5, 0, 9, 0)
no no ok ok ok|update accounts_dep.SMENA set w_id=8, time=6, vvod=now() where id=1001
no no ok ok ok|delete from accounts_dep.smena where id=1001
no no ok ok ok|insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (1001, 6, 0.75)
no no ok ok ok|insert into accounts_dep.person_temp(id_smena, id_person) values(1001,8)
no no ok ok ok|select accounts_dep.divide_between_person(1001)
no ok no ok ok|select accounts_dep.smena__accept_row_hwo(1001)
no ok ok ok ok|update accounts_dep.h_tabel set d5=8 where w_id=9 and smena=1 and month=3 and year=2024
no ok ok ok ok|INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)VALUES(5, 7777 ,10, '09.03.2024', 3, 2024, 1, 4, 360, 1, 1)
no no ok ok ok|insert into cmn_department.department(s_caption, s_description, id_parent, type, s_type)VALUES('Участок сборки' ,'', 2, -1,'')
no no ok ok ok|UPDATE cmn_contractor.jur_person  SET s_caption='СтройМонтаж' WHERE id=2
no no ok ok ok|INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)VALUES(6,0 ,4.5, 12, 1, 5)
no no ok ok ok|insert into accounts_dep.norm (o_id, norma, price, prize) values (10003, 35, 22.5, 5)
no no ok ok ok|UPDATE adm_role.roles SET s_caption='Снабжение', s_name= 'supply', b_active= 0::t_boolean, d_end=now()::t_date where id=7
no no no no ok|UPDATE adm_user.users SET b_active = false WHERE s_name = 'milena'
no no no no ok|SELECT truncate_tables('stk_purchase')
no no no no ok|TRUNCATE TABLE accounts_dep.smena
no ok ok ok ok|update cmn_inventory_items.inventory_items set cost_price =0
no no no no no|INSERT INTO stk_stocks.stk_move (id_stock, id_ii, cnt, all_cnt) VALUES (4, 2, 1, 1)
CASES
)

column=0
for login in econom vesnovskaya "$other" milena sys; do
  column=$((column + 1))
  script=$(mktemp)
  cat >"$script" <<'SQL'
CREATE FUNCTION pg_temp.kiv_right(what text, want text, statement text) RETURNS void LANGUAGE plpgsql AS $$
DECLARE
  message text := pg_temp.kiv_try(statement);
  got text := CASE WHEN message IS NULL THEN 'ok'
                   WHEN message ~ 'permission denied|только администратору' THEN 'no'
                   ELSE 'error: ' || message END;
BEGIN
  PERFORM pg_temp.kiv_check(what, want, got);
END
$$;
SQL
  while IFS='|' read -r wants statement; do
    read -r -a want_of <<<"$wants"
    want=${want_of[$((column - 1))]}
    printf 'SELECT pg_temp.kiv_right(%s, %s, %s);\n' "\$w\$$login: $statement\$w\$" "'$want'" "\$s\$$statement\$s\$" >>"$script"
  done <<<"$cases"
  if [ "$login" = "$other" ]; then
    KIV_PASSWORD=other-pw kiv_sql_checks "$login" "$script"
  else
    kiv_sql_checks "$login" "$script"
  fi
  rm -f "$script"
done

# Even a login granted the function is refused inside it unless it is an administrator.
kiv_psql -d "$KIV_TEST_DB" -c "GRANT EXECUTE ON FUNCTION truncate_tables(text) TO milena" >/dev/null
kiv_expect_error "only administrators empty a schema" "только администратору" milena "SELECT truncate_tables('stk_purchase')"

# The client's clean-up script as one batch: refused for milena with nothing emptied ...
script="SELECT truncate_tables('mnf_app');
truncate table mnf_proc_tech.tp_operation;truncate table accounts_dep.smena;truncate table accounts_dep.h_tabel;truncate table accounts_dep.person_temp;SELECT truncate_tables('stk_stocks');SELECT truncate_tables('stk_purchase');update cmn_inventory_items.inventory_items set cost_price =0;"
counts="SELECT (SELECT count(*) FROM mnf_app.app_spec) || ' ' || (SELECT count(*) FROM accounts_dep.smena) || ' ' ||
  (SELECT count(*) FROM stk_stocks.stock) || ' ' || (SELECT count(*) FROM stk_purchase.purchase_doc) || ' ' ||
  (SELECT count(*) FROM mnf_proc_tech.tp_operation) || ' ' || (SELECT count(*) FROM accounts_dep.smena_gds_use) || ' ' ||
  (SELECT count(*) FROM stk_stocks.stk_move) || ' ' || (SELECT count(*) FROM accounts_dep.h_tabel) || ' ' ||
  (SELECT count(*) FROM cmn_inventory_items.inventory_items WHERE cost_price <> 0) || ' | ' ||
  (SELECT count(*) FROM cmn_department.department) || ' ' || (SELECT count(*) FROM cmn_contractor.person) || ' ' ||
  (SELECT count(*) FROM mnf_operation.operation) || ' ' || (SELECT count(*) FROM accounts_dep.norm) || ' ' ||
  (SELECT count(*) FROM adm_user.users) || ' ' || (SELECT count(*) FROM ver)"
full=$(kiv_as sys -c "$counts")
if kiv_as milena -c "$script" >/dev/null 2>&1; then kiv_fail "milena ran the clean-up"; else kiv_pass; fi
kiv_expect "nothing emptied for milena" "$full" "$(kiv_as sys -c "$counts")"

# ... and done for sys: production data empty, reference data kept, cost prices 0.
kiv_expect_ok "sys runs the clean-up" sys "$script"
kiv_expect "production data emptied, reference data kept" "0 0 0 0 0 0 0 0 0 | ${full#*| }" "$(kiv_as sys -c "$counts")"
kiv_done
