-- Server functions the screens call, the helpers they share, and the database clean-up.

-- Writes a worker's hours of one shift and day into the timesheet from the shift records. A worker
-- with records that day gets his month row even when they hold no hours: the month grids list
-- piecework earnings by the rows, so a record of 0 hours must still have one.
CREATE FUNCTION accounts_dep.set_shift_hours(p_w_id integer, p_smena integer, p_day date)
  RETURNS integer
  LANGUAGE plpgsql
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  hours integer;
  records integer;
  column_name text := 'd' || extract(day FROM p_day)::integer;
  m integer := extract(month FROM p_day)::integer;
  y integer := extract(year FROM p_day)::integer;
  n integer;
BEGIN
  SELECT coalesce(sum(s.time), 0), count(*) INTO hours, records
  FROM accounts_dep.smena s
  WHERE s.w_id = p_w_id AND s.smena = p_smena AND s.data = p_day;
  EXECUTE format('UPDATE accounts_dep.h_tabel SET %I = $1 '
                 'WHERE w_id = $2 AND smena = $3 AND month = $4 AND year = $5 AND i_type = 0', column_name)
    USING hours, p_w_id, p_smena, m, y;
  GET DIAGNOSTICS n = ROW_COUNT;
  IF n = 0 AND records > 0 THEN
    EXECUTE format('INSERT INTO accounts_dep.h_tabel (w_id, smena, month, year, %I) VALUES ($1, $2, $3, $4, $5)',
                   column_name)
      USING p_w_id, p_smena, m, y, hours;
  END IF;
  RETURN hours;
END
$$;

-- Divides a shift record among its worker and the brigade listed in accounts_dep.person_temp:
-- every member gets a copy of the record with an equal share of the pieces and the rejects
-- (the remainder stays with the worker) and the record's hours in the timesheet; the list is
-- then emptied. Returns the number of persons the record was divided among.
CREATE FUNCTION accounts_dep.divide_between_person(p_id_smena integer)
  RETURNS integer
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  rec accounts_dep.smena;
  members integer[];
  n integer;
  share_qty numeric;
  share_brak integer;
  member_id integer;
BEGIN
  SELECT * INTO rec FROM accounts_dep.smena WHERE id = p_id_smena FOR UPDATE;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'Запись журнала смен № % не найдена', p_id_smena USING ERRCODE = 'no_data_found';
  END IF;
  -- Read under the row lock: an acceptance committed meanwhile is seen here, and one that comes
  -- later waits for the split to finish.
  IF rec.ok = 'ok' THEN
    RAISE EXCEPTION 'Запись журнала смен № % уже принята мастером, разделить её на бригаду нельзя', p_id_smena
      USING ERRCODE = 'object_not_in_prerequisite_state';
  END IF;
  SELECT coalesce(array_agg(DISTINCT pt.id_person), '{}') INTO members
  FROM accounts_dep.person_temp pt
  WHERE pt.id_smena = rec.id AND pt.id_person <> rec.w_id;
  n := 1 + cardinality(members);
  IF n > 1 THEN
    share_qty := round(rec.kol_vo / n, 6);
    share_brak := rec.brak / n;
    UPDATE accounts_dep.smena
      SET kol_vo = rec.kol_vo - share_qty * (n - 1), brak = rec.brak - share_brak * (n - 1)
      WHERE id = rec.id;
    FOREACH member_id IN ARRAY members LOOP
      INSERT INTO accounts_dep.smena (data, smena, w_id, i_id, o_id, cena, kol_vo, brak, prize, time, ok,
                                      vvod, color, id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use)
        VALUES (rec.data, rec.smena, member_id, rec.i_id, rec.o_id, rec.cena, share_qty, share_brak, rec.prize,
                rec.time, rec.ok, now(), rec.color, rec.id_doc, rec.id_doc_item, rec.id_gds_use, NULL, 0);
      PERFORM accounts_dep.set_shift_hours(member_id, rec.smena, rec.data);
    END LOOP;
  END IF;
  DELETE FROM accounts_dep.person_temp WHERE id_smena = rec.id;
  RETURN n;
END
$$;

-- The materials a shift record may use: the items issued to its request line (the blank and the
-- paint) and the source material of its operation. b_is_color is 1 for a paint.
CREATE FUNCTION accounts_dep.get_gds_from_by_smena(p_id_smena integer)
  RETURNS TABLE (id t_id, s_caption varchar, b_is_color integer)
  LANGUAGE sql STABLE
  SET search_path = pg_catalog, public
  AS $$
  SELECT m.id::t_id, ii.marka::varchar,
         max(CASE WHEN m.id = as1.id_ral OR ii.id_type = 3 THEN 1 ELSE 0 END)::integer
  FROM accounts_dep.smena s
  LEFT JOIN mnf_app.app_spec as1 ON as1.id = s.id_doc_item
  CROSS JOIN LATERAL (
    SELECT g.id FROM accounts_dep.v_cmn_gds_in g WHERE g.id_app_spec = s.id_doc_item
    UNION
    SELECT o.id_gds_from FROM mnf_operation.operation o WHERE o.id = s.o_id AND o.id_gds_from > 0
  ) m
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = m.id
  WHERE s.id = p_id_smena
  GROUP BY m.id, ii.marka
  ORDER BY ii.marka
$$;

-- What is left of a material for a shift record: 'free' is the unreserved stock over all
-- warehouses; 'reserved' is what was issued to the record's request line less what the line's
-- records have already used, at most the reserve held in the warehouses of those issue lines.
-- No row for an unknown record or material.
CREATE FUNCTION accounts_dep.get_reminder_qty_by_smena(p_id_smena integer, p_id_gds numeric, p_kind text)
  RETURNS TABLE (s_full_caption text, f_qty numeric)
  LANGUAGE plpgsql STABLE
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  line t_id;
  unit text;
  qty numeric;
BEGIN
  IF p_kind IS NULL OR p_kind NOT IN ('free', 'reserved') THEN
    RAISE EXCEPTION 'Неизвестный вид остатка: %', p_kind USING ERRCODE = 'invalid_parameter_value';
  END IF;
  SELECT s.id_doc_item INTO line FROM accounts_dep.smena s WHERE s.id = p_id_smena;
  IF NOT FOUND OR p_id_gds IS NULL OR p_id_gds <= 0 THEN
    RETURN;
  END IF;
  SELECT m.s_identification INTO unit
  FROM cmn_inventory_items.inventory_items ii LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  WHERE ii.id = p_id_gds;
  IF NOT FOUND THEN
    RETURN;
  END IF;
  IF p_kind = 'free' THEN
    SELECT coalesce(sum(greatest(st.count - st.reserve, 0)), 0) INTO qty
    FROM stk_stocks.stock st WHERE st.id_ii = p_id_gds;
    s_full_caption := format('Свободно: %s %s', qty::numeric(20, 3), coalesce(unit, ''));
  ELSE
    SELECT greatest(0, least(
             coalesce((SELECT sum(so.cnt_gds) FROM stk_stocks.spec_out so
                       WHERE so.id_app_spec = line AND so.id_gds = p_id_gds), 0)
             - coalesce((SELECT sum(u.f_qty_use) FROM accounts_dep.smena_gds_use u
                         JOIN accounts_dep.smena s2 ON s2.id = u.id_smena
                         WHERE s2.id_doc_item = line AND u.id_gds_use = p_id_gds), 0)::numeric,
             coalesce((SELECT sum(st.reserve) FROM stk_stocks.stock st
                       WHERE st.id_ii = p_id_gds
                         AND st.id_stock IN (SELECT so.id_stock FROM stk_stocks.spec_out so
                                             WHERE so.id_app_spec = line AND so.id_gds = p_id_gds)), 0)))
      INTO qty;
    s_full_caption := format('В резерве: %s %s', qty::numeric(20, 3), coalesce(unit, ''));
  END IF;
  f_qty := qty;
  RETURN NEXT;
END
$$;

-- The consignments of a material: its stock rows, captioned by warehouse, item, quantity and unit.
CREATE FUNCTION accounts_dep.show_consignment(p_id_gds numeric)
  RETURNS TABLE (id integer, s_full_caption text)
  LANGUAGE sql STABLE
  SET search_path = pg_catalog, public
  AS $$
  SELECT s.id, format('%s - %s - %s %s', d.s_caption, ii.marka, s.count::numeric(20, 3), m.s_identification)
  FROM stk_stocks.stock s
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = s.id_ii
  LEFT JOIN cmn_department.department d ON d.id = s.id_stock
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  WHERE s.id_ii = p_id_gds
  ORDER BY s.id
$$;

-- The request line of a shift record with a caption naming the request and the product.
CREATE FUNCTION accounts_dep.get_doc_item_caption_by_smena(p_id_smena integer)
  RETURNS TABLE (id integer, s_caption text)
  LANGUAGE sql STABLE
  SET search_path = pg_catalog, public
  AS $$
  SELECT as1.id, format('Заявка № %s от %s - %s', ad.id, to_char(ad.d_date, 'dd.mm.yyyy'), ii.marka)
  FROM accounts_dep.smena s
  JOIN mnf_app.app_spec as1 ON as1.id = s.id_doc_item
  JOIN mnf_app.app_doc ad ON ad.id = as1.id_app_doc
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = as1.id_ii
  WHERE s.id = p_id_smena
$$;

-- Accepts a shift record: every material recorded against it and not yet written off is taken
-- out of stock, first from the reserve held for its request line, then from free stock; the
-- record's first consignment and total use are noted and its state becomes 'ok'. Refuses the
-- whole acceptance when stock is short. Returns the number of material rows written off.
CREATE FUNCTION accounts_dep.smena__accept_row_hwo(p_id integer)
  RETURNS integer
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  rec accounts_dep.smena;
  mat record;
  st record;
  qty numeric;
  take numeric;
  first_stock integer;
  record_first integer;
  rows_done integer := 0;
BEGIN
  SELECT * INTO rec FROM accounts_dep.smena WHERE id = p_id FOR UPDATE;
  IF NOT FOUND THEN
    RAISE EXCEPTION 'Запись журнала смен № % не найдена', p_id USING ERRCODE = 'no_data_found';
  END IF;
  IF rec.ok = 'ok' THEN
    RETURN 0;
  END IF;
  FOR mat IN
    SELECT u.* FROM accounts_dep.smena_gds_use u
    WHERE u.id_smena = rec.id AND coalesce(u.id_cons_use, 0) = 0
    ORDER BY u.id
  LOOP
    qty := mat.f_qty_use::numeric;
    first_stock := NULL;
    FOR st IN
      SELECT s.id, s.count, s.reserve FROM stk_stocks.stock s
      WHERE s.id_ii = mat.id_gds_use
        AND s.id_stock IN (SELECT so.id_stock FROM stk_stocks.spec_out so
                           WHERE so.id_app_spec = rec.id_doc_item AND so.id_gds = mat.id_gds_use)
      ORDER BY s.id FOR UPDATE
    LOOP
      EXIT WHEN qty <= 0;
      take := least(qty, st.reserve, st.count);
      CONTINUE WHEN take <= 0;
      UPDATE stk_stocks.stock SET count = count - take, reserve = reserve - take WHERE id = st.id;
      qty := qty - take;
      first_stock := coalesce(first_stock, st.id);
    END LOOP;
    FOR st IN
      SELECT s.id, s.count - s.reserve AS free FROM stk_stocks.stock s
      WHERE s.id_ii = mat.id_gds_use AND s.count - s.reserve > 0
      ORDER BY s.count - s.reserve DESC, s.id FOR UPDATE
    LOOP
      EXIT WHEN qty <= 0;
      take := least(qty, st.free);
      UPDATE stk_stocks.stock SET count = count - take WHERE id = st.id;
      qty := qty - take;
      first_stock := coalesce(first_stock, st.id);
    END LOOP;
    IF qty > 0.0000005 THEN
      RAISE EXCEPTION 'Недостаточно ТМЦ на складе для списания: не хватает % (ТМЦ № %)',
        round(qty, 6), mat.id_gds_use USING ERRCODE = 'check_violation';
    END IF;
    UPDATE accounts_dep.smena_gds_use SET id_cons_use = first_stock WHERE id = mat.id;
    record_first := coalesce(record_first, first_stock);
    rows_done := rows_done + 1;
  END LOOP;
  UPDATE accounts_dep.smena
    SET ok = 'ok',
        id_cons_use = coalesce(record_first, id_cons_use),
        f_gds_qty_use = coalesce((SELECT sum(u.f_qty_use) FROM accounts_dep.smena_gds_use u
                                  WHERE u.id_smena = rec.id), 0)
    WHERE id = rec.id;
  RETURN rows_done;
END
$$;

-- A new purchase request made for short stock: the employee, the delivery date as the client
-- writes it (dd.mm.yyyy), state 0 and the mark of a request made by the server.
CREATE FUNCTION stk_purchase.ins_purch_doc(p_person numeric, p_date text)
  RETURNS integer
  LANGUAGE plpgsql
  SET search_path = pg_catalog, public
  SET datestyle = 'ISO, DMY'
  AS $$
DECLARE
  new_id integer;
BEGIN
  INSERT INTO stk_purchase.purchase_doc (id_person, d_in, state, is_ai)
    VALUES (p_person, nullif(btrim(coalesce(p_date, '')), '')::date, 0, 1)
    RETURNING id INTO new_id;
  RETURN new_id;
END
$$;

-- A new request line of the given request, product, paint, blank, quantity and prices.
-- With p_excess 1 the line takes over an excess made on the route of the request's line of
-- the same product in production: it gets that line's route, with the steps before the
-- current one already done, so the shift save can count the excess on the current step.
CREATE FUNCTION mnf_app.ins_app_spec(p_ii numeric, p_cnt numeric, p_doc numeric, p_ral numeric,
                                     p_gds numeric, p_price numeric, p_cost numeric,
                                     p_excess integer DEFAULT 0)
  RETURNS integer
  LANGUAGE plpgsql
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  new_id integer;
  source_line integer;
  current_step integer;
BEGIN
  IF NOT EXISTS (SELECT 1 FROM mnf_app.app_doc WHERE id = p_doc) THEN
    RAISE EXCEPTION 'Заявка в производство № % не найдена', p_doc USING ERRCODE = 'foreign_key_violation';
  END IF;
  IF p_cnt IS NULL OR p_cnt < 0 THEN
    RAISE EXCEPTION 'Количество не может быть меньше 0: %', p_cnt USING ERRCODE = 'check_violation';
  END IF;
  INSERT INTO mnf_app.app_spec (id_app_doc, id_ii, cnt, id_ral, id_gds, price, cost_price, master_id)
    VALUES (p_doc, p_ii, p_cnt, coalesce(p_ral, 0), coalesce(p_gds, 0), coalesce(p_price, 0),
            coalesce(p_cost, 0), 0)
    RETURNING id INTO new_id;
  IF coalesce(p_excess, 0) <> 1 THEN
    RETURN new_id;
  END IF;
  SELECT as1.id INTO source_line FROM mnf_app.app_spec as1
  WHERE as1.id_app_doc = p_doc AND as1.id_ii = p_ii AND as1.id_ral = coalesce(p_ral, 0)
    AND as1.state = 2 AND as1.id <> new_id
  ORDER BY as1.id LIMIT 1;
  IF source_line IS NOT NULL
     AND EXISTS (SELECT 1 FROM mnf_proc_tech.tp_operation WHERE app_spec_id = source_line) THEN
    SELECT min(t.orderby) INTO current_step FROM mnf_proc_tech.tp_operation t
    WHERE t.app_spec_id = source_line AND t.cnt > t.done;
    INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, done, cnt, orderby)
      SELECT new_id, t.tp_id, t.operation_id,
             CASE WHEN current_step IS NULL OR t.orderby < current_step THEN p_cnt ELSE 0 END, p_cnt, t.orderby
      FROM mnf_proc_tech.tp_operation t WHERE t.app_spec_id = source_line
      ORDER BY t.orderby, t.id;
  ELSE
    INSERT INTO mnf_proc_tech.tp_operation (app_spec_id, tp_id, operation_id, done, cnt, orderby)
      SELECT new_id, pt.id, o.id, 0, p_cnt, o.orderby
      FROM mnf_proc_tech.proc_tech pt JOIN mnf_operation.operation o ON o.id_proc_tech = pt.id
      WHERE pt.id_inventory_items = p_ii
      ORDER BY o.orderby, o.id;
  END IF;
  RETURN new_id;
END
$$;

-- Tables the clean-up may empty: the production data. Reference data never goes with them.
CREATE FUNCTION public.kiv_is_production_table(p_table regclass)
  RETURNS boolean
  LANGUAGE sql STABLE
  SET search_path = pg_catalog, public
  AS $$
  SELECT n.nspname IN ('mnf_app', 'stk_stocks', 'stk_purchase')
         OR (n.nspname, c.relname) IN (('mnf_proc_tech', 'tp_operation'), ('accounts_dep', 'smena'),
                                       ('accounts_dep', 'smena_gds_use'), ('accounts_dep', 'person_temp'),
                                       ('accounts_dep', 'h_tabel'))
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE c.oid = p_table
$$;

-- Empties every table of one production schema (mnf_app, stk_stocks or stk_purchase) in one
-- statement, together with the production tables of other schemas that refer to them; refuses
-- when a reference from other data would be emptied too. Administrators only.
CREATE FUNCTION public.truncate_tables(p_schema text)
  RETURNS integer
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  SET client_min_messages = warning
  AS $$
DECLARE
  tables text;
  table_count integer;
  outside regclass;
BEGIN
  IF NOT (pg_has_role(session_user, 'kiv_admin', 'MEMBER')
          OR (SELECT rolsuper FROM pg_roles WHERE rolname = session_user)) THEN
    RAISE EXCEPTION 'Очистка базы доступна только администратору' USING ERRCODE = 'insufficient_privilege';
  END IF;
  IF p_schema IS NULL OR p_schema NOT IN ('mnf_app', 'stk_stocks', 'stk_purchase') THEN
    RAISE EXCEPTION 'Схему "%" очищать нельзя', p_schema USING ERRCODE = 'invalid_parameter_value';
  END IF;
  WITH RECURSIVE reached(rel) AS (
    SELECT c.oid FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
    WHERE n.nspname = p_schema AND c.relkind IN ('r', 'p')
    UNION
    SELECT con.conrelid FROM pg_constraint con JOIN reached r ON con.confrelid = r.rel
    WHERE con.contype = 'f'
  )
  SELECT rel::regclass INTO outside FROM reached WHERE NOT public.kiv_is_production_table(rel::regclass) LIMIT 1;
  IF outside IS NOT NULL THEN
    RAISE EXCEPTION 'Схему "%" очистить нельзя: на неё ссылается таблица %', p_schema, outside
      USING ERRCODE = 'foreign_key_violation';
  END IF;
  SELECT string_agg(format('%I.%I', n.nspname, c.relname), ', ' ORDER BY c.relname), count(*)
    INTO tables, table_count
  FROM pg_class c JOIN pg_namespace n ON n.oid = c.relnamespace
  WHERE n.nspname = p_schema AND c.relkind IN ('r', 'p');
  IF table_count > 0 THEN
    EXECUTE 'TRUNCATE TABLE ' || tables || ' CASCADE';
  END IF;
  RETURN table_count;
END
$$;

-- Writes a client's build stamp into ver, the one way a client may change it: the stamp only
-- rises, never past the server's date, and the decimal delimiter is left alone. Answers whether
-- a row was written. Runs as the owner, so the logins need no right on ver itself.
CREATE FUNCTION public.raise_build_stamp(p_d integer, p_t integer)
  RETURNS boolean
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  n integer;
BEGIN
  IF p_d IS NULL OR p_t IS NULL OR p_t NOT BETWEEN 0 AND 86399 OR p_d NOT BETWEEN 19000101 AND 99991231 THEN
    RAISE EXCEPTION 'Неверная метка сборки: %.%', p_d, p_t USING ERRCODE = 'invalid_parameter_value';
  END IF;
  -- make_date refuses a day the calendar does not have.
  PERFORM make_date(p_d / 10000, p_d / 100 % 100, p_d % 100);
  IF p_d > to_char(current_date, 'YYYYMMDD')::integer THEN
    RETURN false;
  END IF;
  -- Two clients starting at once: the second waits and compares with what the first wrote.
  LOCK TABLE public.ver IN SHARE ROW EXCLUSIVE MODE;
  IF NOT EXISTS (SELECT 1 FROM public.ver) THEN
    INSERT INTO public.ver (d, t) VALUES (p_d, p_t);
    RETURN true;
  END IF;
  UPDATE public.ver SET d = p_d, t = p_t WHERE (d, t) < (p_d, p_t);
  GET DIAGNOSTICS n = ROW_COUNT;
  RETURN n > 0;
END
$$;
