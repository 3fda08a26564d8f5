-- Behaviour of the server functions the screens rely on, the rows that go with the rows they
-- belong to, and the references the database keeps. Runs as "sys" after tests/db/assert.sql.

-- mnf_app.ins_app_spec: a split line and an excess line.
SELECT mnf_app.ins_app_spec(12,2.5,5, 7,9, 5100, 3950) AS split \gset
SELECT pg_temp.kiv_check('split line', '5|12|7|9|2.500000|5100.0000|3950.0000|0|0|f|0.000000',
  (SELECT concat_ws('|', id_app_doc, id_ii, id_ral, id_gds, cnt, price, cost_price, state, master_id, accept, done)
   FROM mnf_app.app_spec WHERE id = :split));
SELECT pg_temp.kiv_check('ordinary split has no route yet', 0::bigint,
  (SELECT count(*) FROM mnf_proc_tech.tp_operation WHERE app_spec_id = :split));
-- Line 5 (product 12, colour 6, request 3) stands on its second step: the excess line gets the
-- route with the first step done and the rest to do.
SELECT mnf_app.ins_app_spec(12,1.5,3, 6,9, 4950, 3950,1) AS excess \gset
SELECT pg_temp.kiv_check('excess route', '1:1.500000/1.500000 2:0.000000/1.500000 3:0.000000/1.500000 4:0.000000/1.500000',
  (SELECT string_agg(orderby || ':' || done || '/' || cnt, ' ' ORDER BY orderby) FROM mnf_proc_tech.tp_operation WHERE app_spec_id = :excess));
SELECT mnf_app.ins_app_spec(14,2,5, 5,11, 4300, 3400,1) AS fresh \gset
SELECT pg_temp.kiv_check('excess without a line in production: the process route', '1:0.000000 2:0.000000 3:0.000000',
  (SELECT string_agg(orderby || ':' || done, ' ' ORDER BY orderby) FROM mnf_proc_tech.tp_operation WHERE app_spec_id = :fresh));
SELECT pg_temp.kiv_check_error('unknown request', 'не найдена', 'SELECT mnf_app.ins_app_spec(12,1,999, 0,9, 1, 1)');
SELECT pg_temp.kiv_check_error('negative quantity', 'меньше 0', 'SELECT mnf_app.ins_app_spec(12,-1,5, 0,9, 1, 1)');

-- stk_purchase.ins_purch_doc: the date as the client writes it, day first.
SELECT stk_purchase.ins_purch_doc(12, '25.03.2024') AS doc \gset
SELECT pg_temp.kiv_check('purchase request', '12|2024-03-25|0|1|',
  (SELECT concat_ws('|', id_person, d_in, state, is_ai, coalesce(id_jur_person::text, '')) FROM stk_purchase.purchase_doc WHERE id = :doc));
SELECT stk_purchase.ins_purch_doc(12, '') AS nodate \gset
SELECT pg_temp.kiv_check('empty date', NULL::date, (SELECT d_in FROM stk_purchase.purchase_doc WHERE id = :nodate));
SELECT pg_temp.kiv_check_error('not a date', 'date', $$SELECT stk_purchase.ins_purch_doc(12, '31.02.2024')$$);

-- accounts_dep.divide_between_person. Record 1002: 10 pieces, 1 reject, 8 hours of worker 8 in
-- shift 2 today. Brigade: 9 and 10, with 10 listed twice and the worker himself listed too.
INSERT INTO accounts_dep.person_temp(id_smena, id_person) VALUES (1002, 9), (1002, 10), (1002, 10), (1002, 8);
SELECT pg_temp.kiv_check('divided among three', 3, accounts_dep.divide_between_person(1002));
SELECT pg_temp.kiv_check('pieces and rejects kept in sum', '3|10.000000|1|8:3.333334/1 9:3.333333/0 10:3.333333/0',
  (SELECT concat_ws('|', count(*), sum(kol_vo), sum(brak), string_agg(w_id || ':' || kol_vo || '/' || brak, ' ' ORDER BY w_id))
   FROM accounts_dep.smena WHERE data = current_date AND smena = 2 AND o_id = 10012));
SELECT pg_temp.kiv_check('brigade list emptied', 0::bigint, (SELECT count(*) FROM accounts_dep.person_temp WHERE id_smena = 1002));
SELECT pg_temp.kiv_check('members hours in the timesheet', '8 8',
  (SELECT string_agg((to_jsonb(h) ->> ('d' || extract(day FROM current_date)::int)), ' ' ORDER BY w_id)
   FROM accounts_dep.h_tabel h WHERE smena = 2 AND w_id IN (9, 10) AND i_type = 0
     AND month = extract(month FROM current_date) AND year = extract(year FROM current_date)));
SELECT pg_temp.kiv_check('alone: nothing divided', 1, accounts_dep.divide_between_person(1001));
SELECT pg_temp.kiv_check_error('unknown record', 'не найдена', 'SELECT accounts_dep.divide_between_person(999999)');

-- accounts_dep.smena__accept_row_hwo. Record 1002 used 3.5 sheets (item 1): no reserve is held for
-- its line in warehouse 4, so they come from free stock.
SELECT pg_temp.kiv_check('one material accepted', 1, accounts_dep.smena__accept_row_hwo(1002));
SELECT pg_temp.kiv_check('sheets written off', '46.500000/0.000000',
  (SELECT count || '/' || reserve FROM stk_stocks.stock WHERE id_stock = 4 AND id_ii = 1));
SELECT pg_temp.kiv_check('record accepted with its consignment', 'ok|3.500000|t',
  (SELECT concat_ws('|', s.ok, s.f_gds_qty_use, s.id_cons_use = (SELECT id FROM stk_stocks.stock WHERE id_stock = 4 AND id_ii = 1))
   FROM accounts_dep.smena s WHERE s.id = 1002));
SELECT pg_temp.kiv_check('second acceptance does nothing', 0, accounts_dep.smena__accept_row_hwo(1002));
INSERT INTO accounts_dep.person_temp(id_smena, id_person) VALUES (1002, 9);
SELECT pg_temp.kiv_check_error('an accepted record is not divided', 'уже принята мастером',
  'SELECT accounts_dep.divide_between_person(1002)');
DELETE FROM accounts_dep.person_temp WHERE id_smena = 1002;
SELECT pg_temp.kiv_check('nothing written off twice', '46.500000',
  (SELECT count::text FROM stk_stocks.stock WHERE id_stock = 4 AND id_ii = 1));
-- The reserve held for the line goes first: paint 6, 9.6 reserved in warehouse 4 for line 5.
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) VALUES (1001, 6, 10);
SELECT accounts_dep.smena__accept_row_hwo(1001) AS accepted \gset
SELECT pg_temp.kiv_check('reserve first, then free stock', '23.600000/0.000000',
  (SELECT count || '/' || reserve FROM stk_stocks.stock WHERE id_stock = 4 AND id_ii = 6));
-- Too little stock: refused whole, nothing written off.
SELECT max(id) AS open_record FROM accounts_dep.smena WHERE ok = 'no' AND id < 1000 \gset
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) VALUES (:open_record, 4, 5), (:open_record, 8, 1000);
SELECT pg_temp.kiv_check_error('short stock refused', 'Недостаточно', 'SELECT accounts_dep.smena__accept_row_hwo(' || :open_record || ')');
-- (record 1001's acceptance above took 2 bolts of 1800)
SELECT pg_temp.kiv_check('nothing written off', '1798.000000|no',
  (SELECT (SELECT count FROM stk_stocks.stock WHERE id_ii = 4) || '|' || ok FROM accounts_dep.smena WHERE id = :open_record));

-- The shift record's materials and what is left of them.
SELECT pg_temp.kiv_check('materials of record 1001', '9:Заготовка стойки 2000:0 6:RAL 5005 синий:1',
  (SELECT string_agg(id || ':' || s_caption || ':' || b_is_color, ' ' ORDER BY b_is_color, id DESC) FROM accounts_dep.get_gds_from_by_smena(1001)));
SELECT pg_temp.kiv_check('free blanks', 'Свободно: 26.000 шт|26.000000',
  (SELECT s_full_caption || '|' || f_qty FROM accounts_dep.get_reminder_qty_by_smena(1001, 9, 'free')));
SELECT pg_temp.kiv_check('no rows for no record', 0::bigint, (SELECT count(*) FROM accounts_dep.get_reminder_qty_by_smena(-1, 9, 'free')));
SELECT pg_temp.kiv_check_error('unknown kind', 'Неизвестный вид остатка', $$SELECT * FROM accounts_dep.get_reminder_qty_by_smena(1001, 9, 'all')$$);
SELECT pg_temp.kiv_check('consignments', 1::bigint, (SELECT count(*) FROM accounts_dep.show_consignment(9)));
SELECT pg_temp.kiv_check('request line of a record', 5, (SELECT id FROM accounts_dep.get_doc_item_caption_by_smena(1001)));

-- Rows that go with their rows.
INSERT INTO accounts_dep.person_temp(id_smena, id_person) VALUES (1003, 9);
INSERT INTO accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) VALUES (1003, 4, 1);
DELETE FROM accounts_dep.smena WHERE id = 1003;
SELECT pg_temp.kiv_check('a record takes its materials and brigade', '0 0',
  (SELECT (SELECT count(*) FROM accounts_dep.smena_gds_use WHERE id_smena = 1003) || ' ' || (SELECT count(*) FROM accounts_dep.person_temp WHERE id_smena = 1003)));
DELETE FROM mnf_app.app_doc WHERE id = 5;
SELECT pg_temp.kiv_check('a request takes its lines and shipment counters', '0 0',
  (SELECT (SELECT count(*) FROM mnf_app.app_spec WHERE id_app_doc = 5) || ' ' || (SELECT count(*) FROM mnf_app.app_spec_ship WHERE id_app_doc = 5)));
DELETE FROM mnf_app.app_spec WHERE id_ii = 12 AND id_ral = 6 AND id_app_doc = 3;
SELECT pg_temp.kiv_check('the last line of a product takes its counter', 0::bigint,
  (SELECT count(*) FROM mnf_app.app_spec_ship WHERE id_ii = 12 AND id_ral = 6 AND id_app_doc = 3));
delete from stk_stocks.stock_in where id=2;
SELECT pg_temp.kiv_check('an order takes its lines', 0::bigint, (SELECT count(*) FROM stk_stocks.spec_in WHERE id_stock_in = 2));
delete from mnf_proc_tech.proc_tech where id=7;
SELECT pg_temp.kiv_check('a process takes its operations', 0::bigint, (SELECT count(*) FROM mnf_operation.operation WHERE id_proc_tech = 7));

-- References the database keeps.
SELECT pg_temp.kiv_check_error('process with shift records', 'violates', 'delete from mnf_proc_tech.proc_tech where id=1');
SELECT pg_temp.kiv_check_error('warehouse with stock', 'violates', 'delete from cmn_department.department where id=4');
SELECT pg_temp.kiv_check_error('position held', 'violates', 'delete from hrms_staffpos.staffpos where id=3');
SELECT pg_temp.kiv_check_error('customer with requests', 'violates', 'delete from cmn_contractor.jur_person where id=2');
SELECT pg_temp.kiv_check_error('item in stock', 'violates', 'delete from cmn_inventory_items.inventory_items where id=1');
SELECT pg_temp.kiv_check_error('operation without a type', 'violates',
  'INSERT INTO mnf_operation.operation(id_type, id_state, price, id_inventory_items, id_proc_tech, orderby)VALUES(0,-1 ,0, 12, 1, 9)');

-- Persons: the worker number and the older name.
INSERT INTO cmn_contractor.person (s_caption, id_staffpos, id_department, id_role) VALUES ('Тестов Тест', 3, 2, 3) RETURNING id AS person \gset
SELECT pg_temp.kiv_check('worker number is the id, an employee by default', :person || '|true',
  (SELECT s_code || '|' || b_employee FROM cmn_contractor.person WHERE id = :person));
UPDATE cmn_contractor.person SET s_caption = 'Тестов Тест Тестович' WHERE id = :person;
SELECT pg_temp.kiv_check('older name follows', 'Тестов Тест Тестович', (SELECT fio::text FROM accounts_dep.person WHERE id = :person));
DELETE FROM cmn_contractor.person WHERE id = :person;
SELECT pg_temp.kiv_check('older name deleted', 0::bigint, (SELECT count(*) FROM accounts_dep.person WHERE id = :person));

-- Defaults the screens expect of a new row written with their statements.
INSERT INTO mnf_app.app_doc(id_jur_person, id_person, d_mnf, d_out)VALUES(6, 12, '05.03.2024', '12.03.2024') RETURNING id AS doc \gset
SELECT pg_temp.kiv_check('new request: entered now, state 0, a customer request', 't|0|0',
  (SELECT concat_ws('|', d_date > now() - interval '1 minute', state, id_app_doc) FROM mnf_app.app_doc WHERE id = :doc));
INSERT INTO mnf_app.app_spec(id_ii, cnt, id_app_doc, id_ral, id_gds, price, cost_price, master_id)VALUES(14, 4.5, :doc, 6,11, 4300.5, 3400,0) RETURNING id AS line \gset
SELECT pg_temp.kiv_check('new line: not reserved, nothing made, stage 0', 'f|0.000000|0|0.0000|0.0000|0',
  (SELECT concat_ws('|', accept, done, accept_stock, job_price, gds_price, state) FROM mnf_app.app_spec WHERE id = :line));
INSERT INTO mnf_app.app_spec_ship(id_ii, id_app_doc, id_ral, cnt)VALUES(14, :doc, 6, 4.5) RETURNING shipped::text AS shipped \gset
SELECT pg_temp.kiv_check('new shipment counter: nothing shipped', '0.0000', :'shipped');
INSERT INTO stk_stocks.spec_in(id_gds, id_stock_in, id_msm, cnt_gds, price) VALUES(3, 1, 2, 12.5, 295.5) RETURNING accept::text AS accepted \gset
SELECT pg_temp.kiv_check('new receipt line: not accepted', 'false', :'accepted');
INSERT INTO stk_stocks.stock_out(id_person, id_jur_pers, id_accomp_doc, date_out)VALUES(12, 6, 0, '05.03.2024') RETURNING id AS so \gset
INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, id_app_spec, id_app_doc, id_stock, id_ral)VALUES(14, :so, 5, 4300, 0, 2, 6, 6) RETURNING id AS sol \gset
SELECT pg_temp.kiv_check('new shipment request and line: state 0, not accepted', '0|0|f|2024-03-05',
  (SELECT concat_ws('|', so.state, l.so_state, l.accept, so.date_out) FROM stk_stocks.stock_out so JOIN stk_stocks.spec_out l ON l.id_stock_out = so.id WHERE l.id = :sol));
INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, d_datetime, accept, id_app_doc, id_app_spec) VALUES(9, 0, 24, 690, now()::t_datetime, false, 5, 8) RETURNING id AS issue \gset
SELECT pg_temp.kiv_check('issue line without a warehouse or colour', '0|0', (SELECT id_stock || '|' || id_ral FROM stk_stocks.spec_out WHERE id = :issue));
INSERT INTO stk_stocks.stock (id_stock, id_ii, count, price)VALUES(4, 16, 20, 35.5) RETURNING id AS st \gset
SELECT pg_temp.kiv_check('new stock row: no reserve, colour or price parts', '0.000000|0|0.0000|0.0000|0.0000',
  (SELECT concat_ws('|', reserve, id_ral, job_price, gds_price, ral_price) FROM stk_stocks.stock WHERE id = :st));
INSERT INTO stk_purchase.purchase_doc( id_jur_person, id_person, d_in)VALUES(4, 13, '06.03.2024') RETURNING id AS pd \gset
INSERT INTO stk_purchase.purchase_spec(id_gds, cnt, id_purchase_doc, gds_price, cnt_need)VALUES(8, 10.5, :pd, 320, 10.5) RETURNING id AS ps \gset
SELECT pg_temp.kiv_check('new purchase request and line', 't|0|0|f|8',
  (SELECT concat_ws('|', d.d_date > now() - interval '1 minute', d.state, s.state, s.accept, s.id_item)
   FROM stk_purchase.purchase_doc d JOIN stk_purchase.purchase_spec s ON s.id_purchase_doc = d.id WHERE s.id = :ps));
insert into accounts_dep.h_tabel(smena, w_id, month, year, d5) values(1, 9, 3, 2024, 8) RETURNING id AS ht \gset
SELECT pg_temp.kiv_check('new timesheet row: other days 0, piecework kind, day', '0|8|0|0|0',
  (SELECT concat_ws('|', d1, d5, d31, i_type, i_night) FROM accounts_dep.h_tabel WHERE id = :ht));
