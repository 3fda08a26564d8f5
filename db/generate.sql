-- Volume data for benchmarks, added to a database with the demo data: items with their processes,
-- workers, requests with their routes, shift records and timesheets over a number of months,
-- stock, purchases, hourly work and the movement log. Run by db/generate, which sets the
-- parameters kiv.months, kiv.items, kiv.moves and kiv.workers. Deterministic for given parameters.

DO $$
DECLARE
  months integer := current_setting('kiv.months')::integer;
  items integer := current_setting('kiv.items')::integer;
  moves integer := current_setting('kiv.moves')::integer;
  workers integer := current_setting('kiv.workers')::integer;
  first_day date := (date_trunc('month', current_date) - make_interval(months => months - 1))::date;
  item_base bigint;
  person_base integer;
  doc_base integer;
BEGIN
  PERFORM setseed(0.2024);
  SELECT coalesce(max(id), 0) + 1 INTO item_base FROM cmn_inventory_items.inventory_items;
  SELECT coalesce(max(id), 0) + 1 INTO person_base FROM cmn_contractor.person;
  SELECT coalesce(max(id), 0) + 1 INTO doc_base FROM mnf_app.app_doc;

  -- Items: a tenth bought materials, three tenths blanks, the rest products.
  INSERT INTO cmn_inventory_items.inventory_items (id, marka, id_type, id_nom, id_msm, massa, massa_kg, width, thick,
                                                   ral, ral_cons, cost_price)
    SELECT item_base + g,
           CASE WHEN g % 10 = 0 THEN format('Прокат П-%s', g)
                WHEN g % 10 IN (1, 2, 3) THEN format('Заготовка З-%s', g)
                ELSE format('Изделие И-%s', g) END,
           CASE WHEN g % 10 = 0 THEN 0 WHEN g % 10 IN (1, 2, 3) THEN 2 ELSE 1 END,
           CASE WHEN g % 10 = 0 THEN 1 WHEN g % 10 IN (1, 2, 3) THEN 3 ELSE 4 + g % 3 END,
           CASE WHEN g % 10 = 0 THEN 1 ELSE 4 END,
           round((0.2 + random() * 4)::numeric, 3), round((1 + random() * 40)::numeric, 2),
           round((100 + random() * 2900)::numeric), round((1 + random() * 5)::numeric, 1),
           g % 10 >= 6, CASE WHEN g % 10 >= 6 THEN round((0.1 + random())::numeric, 3) ELSE 0 END,
           round((50 + random() * 5000)::numeric, 2)
    FROM generate_series(0, items - 1) g;
  PERFORM setval('cmn_inventory_items.inventory_items_id_seq', item_base + items);

  -- A process per product (from a blank) and per blank (from a material), with their operations.
  INSERT INTO mnf_proc_tech.proc_tech (s_caption, id_inventory_items, id_gds)
    SELECT format('ТП %s', ii.marka), ii.id,
           CASE WHEN ii.id_type = 1 THEN item_base + 10 * ((ii.id - item_base)::bigint / 10) + 1 + (ii.id - item_base)::bigint % 3
                ELSE item_base + 10 * ((ii.id - item_base)::bigint / 10) END
    FROM cmn_inventory_items.inventory_items ii
    WHERE ii.id >= item_base AND ii.id_type IN (1, 2)
      AND item_base + 10 * ((ii.id - item_base)::bigint / 10) + 3 < item_base + items;
  INSERT INTO mnf_operation.operation (id_proc_tech, orderby, id_type, id_state, price, id_inventory_items,
                                       id_gds_from, id_gds_to, f_qty_from)
    SELECT pt.id, step.n, step.type_id, CASE WHEN step.n = step.last THEN 0 ELSE 1 END,
           round((2 + random() * 40)::numeric, 2), pt.id_inventory_items,
           CASE WHEN step.n = 1 THEN pt.id_gds END, CASE WHEN step.n = 1 THEN pt.id_inventory_items END,
           CASE WHEN step.n = 1 THEN ii.massa END
    FROM mnf_proc_tech.proc_tech pt
    JOIN cmn_inventory_items.inventory_items ii ON ii.id = pt.id_inventory_items
    CROSS JOIN LATERAL (
      SELECT s.n, (ARRAY[3, 7, 5, 6])[s.n] AS type_id, CASE WHEN ii.id_type = 1 THEN 4 ELSE 1 END AS last
      FROM generate_series(1, CASE WHEN ii.id_type = 1 THEN 4 ELSE 1 END) s(n)
    ) step
    WHERE ii.id >= item_base;
  INSERT INTO accounts_dep.izdel (id, id_class_item)
    SELECT ii.id, 2 + ii.id % 3 FROM cmn_inventory_items.inventory_items ii
    WHERE ii.id >= item_base AND ii.id_type = 1;

  -- Workers of the shop floor.
  INSERT INTO cmn_contractor.person (id, s_caption, s_second_name, s_first_name, s_third_name, b_employee,
                                     id_staffpos, id_department, id_role)
    SELECT person_base + g, format('Работник%s Иван Петрович', g), format('Работник%s', g), 'Иван', 'Петрович', true,
           CASE WHEN g % 5 = 0 THEN 4 ELSE 3 END, CASE WHEN g % 5 = 0 THEN 3 ELSE 2 END, 3
    FROM generate_series(0, workers - 1) g;
  PERFORM setval('cmn_contractor.person_id_seq', person_base + workers);

  -- Requests: about five a working day over the period, each with one to three lines; the older
  -- ones shipped, the last month's in production or being drawn up.
  INSERT INTO mnf_app.app_doc (id, d_date, id_jur_person, id_person, d_mnf, d_out, state)
    SELECT doc_base + g, d + TIME '10:00', 2 + g % 5, 12, d + 14, d + 21,
           CASE WHEN d < current_date - 45 THEN 1 ELSE 0 END
    FROM (SELECT g, first_day + (g * (current_date - first_day + 1)) / (months * 110) AS d
          FROM generate_series(0, months * 110 - 1) g) x;
  PERFORM setval('mnf_app.app_doc_id_seq', doc_base + months * 110);
  INSERT INTO mnf_app.app_spec (id_app_doc, id_ii, id_ral, id_gds, cnt, done, price, cost_price, accept, accept_stock, state)
    SELECT ad.id, pt.id_inventory_items, CASE WHEN ii.ral THEN 5 + (ad.id + l) % 3 ELSE 0 END, pt.id_gds,
           q, CASE WHEN ad.d_date < current_date - 45 THEN q WHEN ad.d_date < current_date - 10 THEN floor(q / 2) ELSE 0 END,
           ii.cost_price * 1.3, ii.cost_price, ad.d_date < current_date - 10,
           CASE WHEN ad.d_date < current_date - 45 THEN 2 ELSE 0 END,
           CASE WHEN ad.d_date < current_date - 45 THEN 5 WHEN ad.d_date < current_date - 10 THEN 2
                WHEN ad.d_date < current_date - 5 THEN 1 ELSE 0 END
    FROM mnf_app.app_doc ad
    CROSS JOIN generate_series(1, 3) l
    CROSS JOIN LATERAL (SELECT (5 + (ad.id * 7 + l * 13) % 40)::numeric AS q) qty
    JOIN mnf_proc_tech.proc_tech pt ON pt.id = (SELECT min(p2.id) FROM mnf_proc_tech.proc_tech p2
                                               JOIN cmn_inventory_items.inventory_items i2 ON i2.id = p2.id_inventory_items
                                               WHERE i2.id_type = 1 AND i2.id >= item_base + (ad.id * 37 + l * 11) % items)
    JOIN cmn_inventory_items.inventory_items ii ON ii.id = pt.id_inventory_items
    WHERE ad.id >= doc_base AND l <= 1 + ad.id % 3;
  INSERT INTO mnf_app.app_spec_ship (id_app_doc, id_ii, id_ral, cnt, shipped)
    SELECT as1.id_app_doc, as1.id_ii, as1.id_ral, sum(as1.cnt), sum(CASE WHEN as1.state = 5 THEN as1.cnt ELSE 0 END)
    FROM mnf_app.app_spec as1 WHERE as1.id_app_doc >= doc_base
    GROUP BY as1.id_app_doc, as1.id_ii, as1.id_ral;
  INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, orderby, cnt, done)
    SELECT as1.id, o.id_proc_tech, o.id, o.orderby, as1.cnt,
           CASE WHEN as1.state >= 3 THEN as1.cnt WHEN o.orderby = 1 THEN as1.cnt WHEN o.orderby = 2 THEN as1.done ELSE 0 END
    FROM mnf_app.app_spec as1
    JOIN mnf_proc_tech.proc_tech pt ON pt.id_inventory_items = as1.id_ii
    JOIN mnf_operation.operation o ON o.id_proc_tech = pt.id
    WHERE as1.id_app_doc >= doc_base AND as1.state >= 2;

  -- Shift records: every working day, each worker one or two records on a line in work that day.
  INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, prize, time, ok, vvod, color,
                                  id_doc, id_doc_item, f_gds_qty_use)
    SELECT d, 1 + w % 2, person_base + w, as1.id_ii, o.id, o.price, 1 + (w + extract(doy FROM d)::integer) % 9,
           CASE WHEN (w + r) % 11 = 0 THEN 1 ELSE 0 END, CASE WHEN w % 7 = 0 THEN 10 ELSE 0 END,
           CASE WHEN r = 1 THEN 8 ELSE 2 END, CASE WHEN d < current_date - 45 THEN 'ok' ELSE 'no' END,
           d + TIME '17:00', CASE WHEN o.id_type = 5 THEN as1.id_ral::integer ELSE 0 END,
           as1.id_app_doc, as1.id, 0
    FROM generate_series(first_day, current_date, interval '1 day') day(d)
    CROSS JOIN generate_series(0, workers - 1) w
    CROSS JOIN generate_series(1, 2) r
    JOIN LATERAL (SELECT s.id, s.id_ii, s.id_app_doc, s.id_ral FROM mnf_app.app_spec s
                  WHERE s.id_app_doc = doc_base + ((d::date - first_day) * 110 * months / greatest(current_date - first_day + 1, 1))::integer
                                        - 3 - (w + r) % 3
                  ORDER BY s.id LIMIT 1) as1 ON true
    JOIN LATERAL (SELECT op.id, op.price, op.id_type FROM mnf_proc_tech.proc_tech pt
                  JOIN mnf_operation.operation op ON op.id_proc_tech = pt.id
                  WHERE pt.id_inventory_items = as1.id_ii
                  ORDER BY op.orderby OFFSET (w + r) % 4 LIMIT 1) o ON true
    WHERE extract(isodow FROM d) < 6 AND (r = 1 OR w % 4 = 0);

  -- Timesheet rows of those records, a row per worker, shift, month and year.
  INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14,
                                    d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
    SELECT s.w_id, s.smena, extract(month FROM s.data), extract(year FROM s.data),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 1), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 2), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 3), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 4), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 5), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 6), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 7), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 8), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 9), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 10), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 11), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 12), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 13), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 14), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 15), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 16), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 17), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 18), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 19), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 20), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 21), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 22), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 23), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 24), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 25), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 26), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 27), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 28), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 29), 0), coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 30), 0),
           coalesce(sum(s.time) FILTER (WHERE extract(day FROM s.data) = 31), 0)
    FROM accounts_dep.smena s
    WHERE s.w_id >= person_base
    GROUP BY s.w_id, s.smena, extract(month FROM s.data), extract(year FROM s.data);

  -- Hourly work: maintenance on Fridays for every tenth worker.
  INSERT INTO accounts_dep.fatigue (id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)
    SELECT 5, 7777, person_base + w, d, extract(month FROM d), extract(year FROM d), 1, 2, 150, 0, 0
    FROM generate_series(first_day, current_date, interval '1 day') day(d)
    CROSS JOIN generate_series(0, workers - 1, 10) w
    WHERE extract(isodow FROM d) = 5;

  -- Stock of every new item in its warehouse, then the movement log of the period.
  INSERT INTO stk_stocks.stock (id_stock, id_ii, id_ral, count, reserve, price)
    SELECT CASE ii.id_type WHEN 0 THEN 4 WHEN 2 THEN 5 ELSE 6 END, ii.id, CASE WHEN ii.ral THEN 5 ELSE 0 END,
           round((random() * 500)::numeric, 2), 0, ii.cost_price
    FROM cmn_inventory_items.inventory_items ii WHERE ii.id >= item_base;
  INSERT INTO stk_stocks.stk_move (id_stock, id_ii, cnt, all_cnt, d_date, s_user)
    SELECT m.id_stock, m.id_ii, m.cnt,
           sum(m.cnt) OVER (PARTITION BY m.id_stock, m.id_ii ORDER BY m.n) + 1000, m.d_date, m.s_user
    FROM (SELECT g AS n, CASE WHEN ii.id_type = 0 THEN 4 WHEN ii.id_type = 2 THEN 5 ELSE 6 END AS id_stock, ii.id AS id_ii,
                 CASE WHEN g % 3 = 0 THEN round((random() * 50)::numeric, 2) ELSE -round((random() * 20)::numeric, 2) END AS cnt,
                 first_day + (g::numeric / moves) * (now() - first_day::timestamp) AS d_date,
                 (ARRAY['sevastova', 'milena', 'sys'])[1 + g % 3] AS s_user
          FROM generate_series(0, moves - 1) g
          JOIN cmn_inventory_items.inventory_items ii ON ii.id = item_base + (g * 7919) % items) m;
END
$$;
