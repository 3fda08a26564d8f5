-- Production and stock data: requests to production and their lines, routes, stocks and stock
-- documents, purchase requests, the shift journal, timesheets and hourly work.
-- The clean-up empties these (public.truncate_tables and plain truncates of the shift tables),
-- so nothing here is referenced by a declared foreign key from a table the clean-up keeps.

CREATE TABLE mnf_app.app_doc (
  id serial PRIMARY KEY,
  d_date timestamp NOT NULL DEFAULT now(),
  id_jur_person t_id,
  id_person t_id,
  d_mnf date,
  d_out date,
  -- 0 for a customer's request; else the request that a blank-production request was made for
  id_app_doc t_id NOT NULL DEFAULT 0,
  id_app_spec t_id NOT NULL DEFAULT 0,
  m_id t_id,
  -- 0 "Оформление", 1 "Отгружено"
  state integer NOT NULL DEFAULT 0
);
CREATE INDEX ON mnf_app.app_doc (id_app_spec);

CREATE TABLE mnf_app.app_spec (
  id serial PRIMARY KEY,
  id_app_doc integer NOT NULL REFERENCES mnf_app.app_doc (id) ON DELETE CASCADE,
  id_ii t_id NOT NULL,
  id_ral t_id NOT NULL DEFAULT 0,
  id_gds t_id NOT NULL DEFAULT 0,
  cnt numeric(28, 6) NOT NULL DEFAULT 0,
  done numeric(28, 6) NOT NULL DEFAULT 0,
  price t_money NOT NULL DEFAULT 0,
  job_price t_money NOT NULL DEFAULT 0,
  gds_price t_money NOT NULL DEFAULT 0,
  cost_price t_money NOT NULL DEFAULT 0,
  accept boolean NOT NULL DEFAULT false,
  -- 0 not marked, 1 marked for posting, 2 posted into finished-goods stock
  accept_stock integer NOT NULL DEFAULT 0,
  -- 0 "Оформление", 1 "Склад", 2 "Пр-во", 3 "Готово", 4 "Отгрузка", 5 "Отгружено"
  state numeric(15, 0) NOT NULL DEFAULT 0,
  master_id integer NOT NULL DEFAULT 0,
  id_stock_in t_id
);
CREATE INDEX ON mnf_app.app_spec (id_app_doc);
CREATE INDEX ON mnf_app.app_spec (id_ii);

-- Shipment counter per request, product and colour.
CREATE TABLE mnf_app.app_spec_ship (
  id serial PRIMARY KEY,
  id_app_doc t_id NOT NULL,
  id_ii t_id NOT NULL,
  id_ral t_id NOT NULL DEFAULT 0,
  cnt numeric(28, 6) NOT NULL DEFAULT 0,
  shipped t_money NOT NULL DEFAULT 0
);
CREATE INDEX ON mnf_app.app_spec_ship (id_app_doc, id_ii, id_ral);

-- The route of a request line: one row per operation of its technological process.
-- Quantities are fractional like the line's (the shift records add fractional pieces).
CREATE TABLE mnf_proc_tech.tp_operation (
  id serial PRIMARY KEY,
  app_spec_id t_id NOT NULL,
  tp_id t_id,
  operation_id t_id,
  orderby integer NOT NULL DEFAULT 1,
  cnt numeric(28, 6) NOT NULL DEFAULT 0,
  done numeric(28, 6) NOT NULL DEFAULT 0
);
CREATE INDEX ON mnf_proc_tech.tp_operation (app_spec_id);

CREATE TABLE stk_stocks.stock (
  id serial PRIMARY KEY,
  id_stock t_id NOT NULL,
  id_ii t_id NOT NULL REFERENCES cmn_inventory_items.inventory_items (id),
  id_ral t_id NOT NULL DEFAULT 0,
  count numeric(28, 6) NOT NULL DEFAULT 0,
  reserve numeric(28, 6) NOT NULL DEFAULT 0,
  price numeric(28, 6) NOT NULL DEFAULT 0,
  job_price t_money NOT NULL DEFAULT 0,
  gds_price t_money NOT NULL DEFAULT 0,
  ral_price t_money NOT NULL DEFAULT 0,
  id_app_doc t_id NOT NULL DEFAULT 0,
  id_app_spec t_id NOT NULL DEFAULT 0
);
CREATE INDEX ON stk_stocks.stock (id_ii);
CREATE INDEX ON stk_stocks.stock (id_stock);

CREATE TABLE stk_stocks.stock_in (
  id serial PRIMARY KEY,
  date_in date NOT NULL DEFAULT current_date,
  d_datetime date DEFAULT current_date,
  -- a counterparty; for a finished-goods receipt the producing department
  id_jur_pers t_id,
  id_department t_id,
  id_accomp_doc varchar(254) DEFAULT '0'
);

CREATE TABLE stk_stocks.spec_in (
  id serial PRIMARY KEY,
  id_stock_in integer NOT NULL REFERENCES stk_stocks.stock_in (id) ON DELETE CASCADE,
  id_gds t_id NOT NULL,
  id_msm t_id,
  cnt_gds numeric(28, 6) NOT NULL DEFAULT 0,
  price t_money NOT NULL DEFAULT 0,
  nds t_money NOT NULL DEFAULT 0,
  d_datetime date DEFAULT current_date,
  accept boolean NOT NULL DEFAULT false,
  id_purchase_spec t_id,
  id_app_spec t_id
);
CREATE INDEX ON stk_stocks.spec_in (id_stock_in);

CREATE TABLE stk_stocks.stock_out (
  id serial PRIMARY KEY,
  date_out date,
  d_datetime timestamp DEFAULT now(),
  id_jur_pers t_id,
  id_person t_id,
  id_department t_id,
  id_accomp_doc varchar(254) DEFAULT '0',
  -- 0 "Отгрузка", 1 "Отгружено"
  state integer NOT NULL DEFAULT 0
);

-- Issue lines (id_app_spec names the request line, id_stock_out 0) and shipment lines
-- (id_stock_out names the shipment request, id_app_spec 0).
CREATE TABLE stk_stocks.spec_out (
  id serial PRIMARY KEY,
  id_stock_out integer NOT NULL DEFAULT 0,
  id_stock t_id NOT NULL DEFAULT 0,
  id_gds t_id NOT NULL,
  id_ral t_id NOT NULL DEFAULT 0,
  id_app_doc t_id,
  id_app_spec t_id NOT NULL DEFAULT 0,
  cnt_gds t_money NOT NULL DEFAULT 0,
  price t_money NOT NULL DEFAULT 0,
  d_datetime timestamp DEFAULT now(),
  accept boolean NOT NULL DEFAULT false,
  so_state integer NOT NULL DEFAULT 0
);
CREATE INDEX ON stk_stocks.spec_out (id_app_spec);
CREATE INDEX ON stk_stocks.spec_out (id_stock_out);

-- The movement log, written by the trigger on stk_stocks.stock only.
CREATE TABLE stk_stocks.stk_move (
  id bigserial PRIMARY KEY,
  id_stock t_id,
  id_ii t_id,
  cnt t_money NOT NULL,
  all_cnt t_money NOT NULL,
  d_date timestamp NOT NULL DEFAULT now(),
  s_user varchar(254) NOT NULL DEFAULT session_user
);
CREATE INDEX ON stk_stocks.stk_move (id_stock);

CREATE TABLE stk_purchase.purchase_doc (
  id serial PRIMARY KEY,
  d_date timestamp NOT NULL DEFAULT now(),
  id_jur_person t_id,
  id_person t_id,
  d_in date,
  id_app_doc t_id,
  id_app_spec t_id,
  -- 0 "Оформление", 1 "Закупка", 2 "Готово"
  state integer NOT NULL DEFAULT 0,
  -- 1 when made by the server for short stock (stk_purchase.ins_purch_doc)
  is_ai integer NOT NULL DEFAULT 0
);

CREATE TABLE stk_purchase.purchase_spec (
  id serial PRIMARY KEY,
  id_purchase_doc integer NOT NULL REFERENCES stk_purchase.purchase_doc (id) ON DELETE CASCADE,
  id_gds t_id NOT NULL,
  -- the line's item under the name the lines screen reads
  id_item t_id GENERATED ALWAYS AS (id_gds) STORED,
  id_app_spec t_id,
  cnt numeric(28, 6) NOT NULL DEFAULT 0,
  cnt_need t_money NOT NULL DEFAULT 0,
  gds_price t_money NOT NULL DEFAULT 0,
  -- 0 "Оформление", 1 "Закупка", 2 "На складе"
  state numeric(15, 0) NOT NULL DEFAULT 0,
  accept boolean NOT NULL DEFAULT false
);
CREATE INDEX ON stk_purchase.purchase_spec (id_purchase_doc);
CREATE INDEX ON stk_purchase.purchase_spec (id_app_spec);

-- Shift records. ok: 'no' entered, 'ok' accepted or posted into stock, 'ta' hidden.
CREATE TABLE accounts_dep.smena (
  id serial PRIMARY KEY,
  data date NOT NULL,
  smena integer NOT NULL DEFAULT 1,
  w_id integer NOT NULL REFERENCES cmn_contractor.person (id),
  i_id integer NOT NULL,
  o_id integer NOT NULL REFERENCES mnf_operation.operation (id),
  cena t_money NOT NULL DEFAULT 0,
  kol_vo numeric(28, 6) NOT NULL DEFAULT 0,
  brak integer NOT NULL DEFAULT 0,
  prize numeric(28, 6) NOT NULL DEFAULT 0,
  time integer NOT NULL DEFAULT 0,
  ok varchar(2) NOT NULL DEFAULT 'no',
  vvod timestamp NOT NULL DEFAULT now(),
  color integer NOT NULL DEFAULT 0,
  id_doc t_id,
  id_doc_item t_id,
  id_gds_use t_id,
  id_cons_use t_id,
  f_gds_qty_use numeric(28, 6) NOT NULL DEFAULT 0
);
CREATE INDEX ON accounts_dep.smena (data, smena);
CREATE INDEX ON accounts_dep.smena (id_doc_item);
CREATE INDEX ON accounts_dep.smena (w_id, data);

-- Materials used by a shift record; removed with the record (trigger on accounts_dep.smena).
CREATE TABLE accounts_dep.smena_gds_use (
  id serial PRIMARY KEY,
  id_smena integer NOT NULL,
  id_gds_use t_id NOT NULL,
  id_cons_use t_id,
  f_qty_use t_float NOT NULL DEFAULT 0
);
CREATE INDEX ON accounts_dep.smena_gds_use (id_smena);

-- The brigade of a shift record until it is divided.
CREATE TABLE accounts_dep.person_temp (
  id serial PRIMARY KEY,
  id_smena integer NOT NULL,
  id_person integer NOT NULL
);
CREATE INDEX ON accounts_dep.person_temp (id_smena);

-- Hours timesheet: one row per worker (person id), shift, month and year; i_type 0 for rows
-- made from shift records, 7777 or 7778 for hourly work (then smena 0 and i_night set).
CREATE TABLE accounts_dep.h_tabel (
  id serial PRIMARY KEY,
  w_id integer NOT NULL,
  smena integer NOT NULL DEFAULT 0,
  month integer NOT NULL,
  year integer NOT NULL,
  d1 integer NOT NULL DEFAULT 0, d2 integer NOT NULL DEFAULT 0, d3 integer NOT NULL DEFAULT 0,
  d4 integer NOT NULL DEFAULT 0, d5 integer NOT NULL DEFAULT 0, d6 integer NOT NULL DEFAULT 0,
  d7 integer NOT NULL DEFAULT 0, d8 integer NOT NULL DEFAULT 0, d9 integer NOT NULL DEFAULT 0,
  d10 integer NOT NULL DEFAULT 0, d11 integer NOT NULL DEFAULT 0, d12 integer NOT NULL DEFAULT 0,
  d13 integer NOT NULL DEFAULT 0, d14 integer NOT NULL DEFAULT 0, d15 integer NOT NULL DEFAULT 0,
  d16 integer NOT NULL DEFAULT 0, d17 integer NOT NULL DEFAULT 0, d18 integer NOT NULL DEFAULT 0,
  d19 integer NOT NULL DEFAULT 0, d20 integer NOT NULL DEFAULT 0, d21 integer NOT NULL DEFAULT 0,
  d22 integer NOT NULL DEFAULT 0, d23 integer NOT NULL DEFAULT 0, d24 integer NOT NULL DEFAULT 0,
  d25 integer NOT NULL DEFAULT 0, d26 integer NOT NULL DEFAULT 0, d27 integer NOT NULL DEFAULT 0,
  d28 integer NOT NULL DEFAULT 0, d29 integer NOT NULL DEFAULT 0, d30 integer NOT NULL DEFAULT 0,
  d31 integer NOT NULL DEFAULT 0,
  i_type integer NOT NULL DEFAULT 0,
  i_night integer NOT NULL DEFAULT 0
);
CREATE INDEX ON accounts_dep.h_tabel (year, month, w_id);

-- Hourly work: id_nom a classifier group, id_o a kind of accounts_dep.hourly_kind, id_p a person.
CREATE TABLE accounts_dep.fatigue (
  id serial PRIMARY KEY,
  id_nom t_id,
  id_o t_id NOT NULL,
  id_p t_id NOT NULL,
  d_date date NOT NULL,
  i_mnth integer,
  i_year integer,
  i_smena integer NOT NULL DEFAULT 1,
  cnt integer NOT NULL DEFAULT 0,
  price t_money NOT NULL DEFAULT 0,
  i_holiday integer NOT NULL DEFAULT 0,
  i_night integer NOT NULL DEFAULT 0
);
CREATE INDEX ON accounts_dep.fatigue (d_date);
