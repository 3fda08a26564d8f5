-- Reference data: departments and warehouses, staff, roles, users, counterparties, units,
-- nomenclature kinds, inventory items, operations and technological processes, norms.

CREATE TABLE cmn_department.department (
  id serial PRIMARY KEY,
  s_caption varchar(254) NOT NULL DEFAULT '',
  s_description varchar(4000),
  id_parent t_id DEFAULT 0,
  -- -1 not a warehouse (a producing department), 0 finished goods, 1 blanks, 2 raw materials
  type numeric NOT NULL DEFAULT -1,
  s_type varchar(254) DEFAULT ''
);

CREATE TABLE hrms_staffpos.staffpos (
  id serial PRIMARY KEY,
  s_caption varchar(254) NOT NULL DEFAULT '',
  id_department t_id DEFAULT 0,
  d_begin date DEFAULT current_date,
  d_end date,
  s_description varchar(4000)
);

CREATE SEQUENCE adm_role.roles_id_seq;
CREATE TABLE adm_role.roles (
  id t_id PRIMARY KEY DEFAULT nextval('adm_role.roles_id_seq'),
  s_name varchar(30) NOT NULL DEFAULT '',
  s_caption varchar(254) NOT NULL DEFAULT '',
  d_begin date DEFAULT current_date,
  d_end date,
  b_active boolean NOT NULL DEFAULT true
);
ALTER SEQUENCE adm_role.roles_id_seq OWNED BY adm_role.roles.id;

CREATE TABLE cmn_contractor.person (
  id serial PRIMARY KEY,
  s_caption varchar(254) NOT NULL DEFAULT '',
  s_second_name varchar(254),
  s_first_name varchar(254),
  s_third_name varchar(254),
  b_employee boolean NOT NULL DEFAULT true,
  id_staffpos t_id,
  id_department t_id,
  id_role t_id,
  -- The worker number: the shift journal and the timesheets join it read as an integer with
  -- h_tabel.w_id, which holds the person's id, so it is the id itself.
  s_code varchar(254) GENERATED ALWAYS AS (id::text) STORED
);

-- The persons under the older accounting name, with the same ids; kept by a trigger on
-- cmn_contractor.person. A table rather than a view: statements group by its key.
CREATE TABLE accounts_dep.person (
  id integer PRIMARY KEY,
  fio varchar(254) NOT NULL DEFAULT '',
  b_employee boolean NOT NULL DEFAULT true
);

CREATE SEQUENCE adm_user.users_id_seq;
CREATE TABLE adm_user.users (
  id t_id PRIMARY KEY DEFAULT nextval('adm_user.users_id_seq'),
  s_name varchar(30) NOT NULL UNIQUE,
  s_caption varchar(254),
  d_registered date DEFAULT current_date,
  d_closed date,
  b_active boolean NOT NULL DEFAULT true,
  id_person t_id
);
ALTER SEQUENCE adm_user.users_id_seq OWNED BY adm_user.users.id;

CREATE TABLE cmn_contractor.jur_person (
  id serial PRIMARY KEY,
  s_caption varchar(254) DEFAULT '',
  s_full_caption varchar(254) NOT NULL DEFAULT '',
  s_ogrn varchar(254) DEFAULT '',
  s_inn varchar(254) DEFAULT ''
);

CREATE SEQUENCE cmn_msm.msm_id_seq;
CREATE TABLE cmn_msm.msm (
  id t_id PRIMARY KEY DEFAULT nextval('cmn_msm.msm_id_seq'),
  s_caption varchar(254) NOT NULL DEFAULT '',
  s_identification varchar(254) NOT NULL DEFAULT '',
  s_code varchar(254),
  n_round integer NOT NULL DEFAULT 0
);
ALTER SEQUENCE cmn_msm.msm_id_seq OWNED BY cmn_msm.msm.id;

CREATE SEQUENCE cmn_inventory_items.ii_type_id_seq;
CREATE TABLE cmn_inventory_items.ii_type (
  id t_id PRIMARY KEY DEFAULT nextval('cmn_inventory_items.ii_type_id_seq'),
  s_caption varchar(254) NOT NULL DEFAULT ''
);
ALTER SEQUENCE cmn_inventory_items.ii_type_id_seq OWNED BY cmn_inventory_items.ii_type.id;

CREATE TABLE cmn_inventory_items.nomenclature (
  id serial PRIMARY KEY,
  s_caption varchar(254) NOT NULL DEFAULT '',
  id_department t_id DEFAULT 0,
  -- The kind's name as the product reports group by it.
  nom varchar(254) GENERATED ALWAYS AS (s_caption) STORED
);

CREATE SEQUENCE cmn_inventory_items.inventory_items_id_seq;
CREATE TABLE cmn_inventory_items.inventory_items (
  id t_id PRIMARY KEY DEFAULT nextval('cmn_inventory_items.inventory_items_id_seq'),
  marka varchar(254) NOT NULL DEFAULT '',
  id_type integer NOT NULL DEFAULT 0,
  id_nom integer NOT NULL DEFAULT 0 REFERENCES cmn_inventory_items.nomenclature (id),
  id_msm t_id REFERENCES cmn_msm.msm (id),
  massa numeric(28, 6) NOT NULL DEFAULT 0,
  massa_kg t_money NOT NULL DEFAULT 0,
  width numeric(28, 6) NOT NULL DEFAULT 0,
  thick numeric(28, 6) NOT NULL DEFAULT 0,
  ral boolean NOT NULL DEFAULT false,
  ral_cons numeric(28, 6) NOT NULL DEFAULT 0,
  cost_price numeric(28, 6) NOT NULL DEFAULT 0
);
ALTER SEQUENCE cmn_inventory_items.inventory_items_id_seq OWNED BY cmn_inventory_items.inventory_items.id;
CREATE INDEX ON cmn_inventory_items.inventory_items (id_type);

CREATE SEQUENCE cmn_classifier.item_id_seq;
CREATE TABLE cmn_classifier.item (
  id t_id PRIMARY KEY DEFAULT nextval('cmn_classifier.item_id_seq'),
  s_caption varchar(254) NOT NULL DEFAULT '',
  -- 1 a section, 2 a group of products (the average piecework rate is taken per group)
  id_level integer NOT NULL DEFAULT 2
);
ALTER SEQUENCE cmn_classifier.item_id_seq OWNED BY cmn_classifier.item.id;

-- Operation types; the ids from 7777 on belong to the kinds of hourly work (accounts_dep.hourly_kind).
CREATE TABLE mnf_operation.operation_type (
  id serial PRIMARY KEY CHECK (id < 7777),
  s_caption varchar(254) NOT NULL DEFAULT '',
  s_description varchar(4000)
);

CREATE TABLE mnf_operation.operation_state (
  id t_id PRIMARY KEY,
  s_caption varchar(254) NOT NULL DEFAULT ''
);

CREATE SEQUENCE mnf_proc_tech.proc_tech_id_seq;
CREATE TABLE mnf_proc_tech.proc_tech (
  id t_id PRIMARY KEY DEFAULT nextval('mnf_proc_tech.proc_tech_id_seq'),
  s_caption varchar(254) NOT NULL DEFAULT '',
  id_inventory_items t_id REFERENCES cmn_inventory_items.inventory_items (id),
  id_gds t_id REFERENCES cmn_inventory_items.inventory_items (id)
);
ALTER SEQUENCE mnf_proc_tech.proc_tech_id_seq OWNED BY mnf_proc_tech.proc_tech.id;
CREATE INDEX ON mnf_proc_tech.proc_tech (id_inventory_items);

-- Operation ids start above the hourly-work kinds, which share the id space of the
-- norms (accounts_dep.norm.o_id) and of the older operation list (accounts_dep.oper).
CREATE SEQUENCE mnf_operation.operation_id_seq START 10000 MINVALUE 10000;
CREATE TABLE mnf_operation.operation (
  id integer PRIMARY KEY DEFAULT nextval('mnf_operation.operation_id_seq') CHECK (id >= 10000),
  id_proc_tech t_id NOT NULL REFERENCES mnf_proc_tech.proc_tech (id) ON DELETE CASCADE,
  orderby integer NOT NULL DEFAULT 1,
  id_type integer NOT NULL REFERENCES mnf_operation.operation_type (id),
  id_state t_id NOT NULL DEFAULT 0 REFERENCES mnf_operation.operation_state (id),
  price t_money NOT NULL DEFAULT 0,
  id_inventory_items integer,
  -- a material norm per unit of product: id_gds_to made from f_qty_from of id_gds_from
  id_gds_from t_id,
  id_gds_to t_id,
  f_qty_from numeric(28, 6)
);
ALTER SEQUENCE mnf_operation.operation_id_seq OWNED BY mnf_operation.operation.id;
CREATE INDEX ON mnf_operation.operation (id_proc_tech);

CREATE TABLE accounts_dep.norm (
  id serial PRIMARY KEY,
  o_id integer NOT NULL,
  norma integer NOT NULL DEFAULT 0,
  price numeric(28, 6) NOT NULL DEFAULT 0,
  prize integer NOT NULL DEFAULT 0
);
CREATE INDEX ON accounts_dep.norm (o_id);

-- Kinds of hourly work: 7777 maintenance work, 7778 work paid at the average piecework rate.
CREATE TABLE accounts_dep.hourly_kind (
  id integer PRIMARY KEY CHECK (id BETWEEN 7777 AND 9999),
  s_caption varchar(254) NOT NULL,
  price t_money NOT NULL DEFAULT 0
);

-- The classifier group of each product, for the average piecework rate of hourly work.
CREATE TABLE accounts_dep.izdel (
  id t_id PRIMARY KEY REFERENCES cmn_inventory_items.inventory_items (id) ON DELETE CASCADE,
  id_class_item t_id NOT NULL REFERENCES cmn_classifier.item (id)
);
