-- Triggers: the movement log of stock, rows that go with the rows they belong to, and the
-- references to reference data that cannot be declared as foreign keys.

-- One log row per change of a stock row's quantity: the signed change and the balance of the
-- item in the warehouse afterwards, with the login and the time.
CREATE FUNCTION stk_stocks.log_stock_move() RETURNS trigger
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  warehouse t_id;
  item t_id;
  change numeric;
BEGIN
  IF TG_OP = 'INSERT' THEN
    warehouse := NEW.id_stock; item := NEW.id_ii; change := NEW.count;
  ELSIF TG_OP = 'DELETE' THEN
    warehouse := OLD.id_stock; item := OLD.id_ii; change := -OLD.count;
  ELSE
    warehouse := NEW.id_stock; item := NEW.id_ii; change := NEW.count - OLD.count;
  END IF;
  IF change = 0 THEN
    RETURN NULL;
  END IF;
  INSERT INTO stk_stocks.stk_move (id_stock, id_ii, cnt, all_cnt, d_date, s_user)
    VALUES (warehouse, item, change,
            coalesce((SELECT sum(s.count) FROM stk_stocks.stock s
                      WHERE s.id_stock = warehouse AND s.id_ii = item), 0),
            now(), session_user);
  RETURN NULL;
END
$$;

CREATE TRIGGER stock_move_log
  AFTER INSERT OR DELETE OR UPDATE OF count ON stk_stocks.stock
  FOR EACH ROW EXECUTE FUNCTION stk_stocks.log_stock_move();

-- accounts_dep.person follows cmn_contractor.person.
CREATE FUNCTION cmn_contractor.person_mirror() RETURNS trigger
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
BEGIN
  IF TG_OP = 'DELETE' THEN
    DELETE FROM accounts_dep.person WHERE id = OLD.id;
    RETURN NULL;
  END IF;
  IF TG_OP = 'UPDATE' AND NEW.id <> OLD.id THEN
    DELETE FROM accounts_dep.person WHERE id = OLD.id;
  END IF;
  INSERT INTO accounts_dep.person (id, fio, b_employee) VALUES (NEW.id, NEW.s_caption, NEW.b_employee)
    ON CONFLICT (id) DO UPDATE SET fio = EXCLUDED.fio, b_employee = EXCLUDED.b_employee;
  RETURN NULL;
END
$$;

CREATE TRIGGER person_mirror
  AFTER INSERT OR UPDATE OR DELETE ON cmn_contractor.person
  FOR EACH ROW EXECUTE FUNCTION cmn_contractor.person_mirror();

-- A shift record takes its materials and its brigade list with it.
CREATE FUNCTION accounts_dep.smena_delete_children() RETURNS trigger
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
BEGIN
  DELETE FROM accounts_dep.smena_gds_use WHERE id_smena = OLD.id;
  DELETE FROM accounts_dep.person_temp WHERE id_smena = OLD.id;
  RETURN NULL;
END
$$;

CREATE TRIGGER smena_delete_children
  AFTER DELETE ON accounts_dep.smena
  FOR EACH ROW EXECUTE FUNCTION accounts_dep.smena_delete_children();

-- The clean-up truncates the shift journal by itself; its materials go with it.
CREATE FUNCTION accounts_dep.smena_truncate_children() RETURNS trigger
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
BEGIN
  TRUNCATE accounts_dep.smena_gds_use;
  RETURN NULL;
END
$$;

CREATE TRIGGER smena_truncate_children
  AFTER TRUNCATE ON accounts_dep.smena
  FOR EACH STATEMENT EXECUTE FUNCTION accounts_dep.smena_truncate_children();

-- The shipment counter of a request, product and colour goes with its last line, so that a line
-- entered again later starts one counter, not a second one.
CREATE FUNCTION mnf_app.app_spec_drop_ship_counter() RETURNS trigger
  LANGUAGE plpgsql
  SECURITY DEFINER
  SET search_path = pg_catalog, public
  AS $$
BEGIN
  DELETE FROM mnf_app.app_spec_ship ash
  WHERE ash.id_app_doc = OLD.id_app_doc AND ash.id_ii = OLD.id_ii AND ash.id_ral = OLD.id_ral
    AND NOT EXISTS (SELECT 1 FROM mnf_app.app_spec as1
                    WHERE as1.id_app_doc = OLD.id_app_doc AND as1.id_ii = OLD.id_ii AND as1.id_ral = OLD.id_ral);
  RETURN NULL;
END
$$;

CREATE TRIGGER app_spec_drop_ship_counter
  AFTER DELETE ON mnf_app.app_spec
  FOR EACH ROW EXECUTE FUNCTION mnf_app.app_spec_drop_ship_counter();

-- References to reference data.
ALTER TABLE cmn_contractor.person
  ADD FOREIGN KEY (id_role) REFERENCES adm_role.roles (id);

CREATE TRIGGER department_restrict_delete
  BEFORE DELETE ON cmn_department.department
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete(
    'cmn_department.department', 'id_parent',
    'cmn_contractor.person', 'id_department',
    'hrms_staffpos.staffpos', 'id_department',
    'cmn_inventory_items.nomenclature', 'id_department',
    'stk_stocks.stock', 'id_stock',
    'stk_stocks.stock_in', 'id_department');

CREATE TRIGGER staffpos_restrict_delete
  BEFORE DELETE ON hrms_staffpos.staffpos
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete('cmn_contractor.person', 'id_staffpos');

CREATE TRIGGER jur_person_restrict_delete
  BEFORE DELETE ON cmn_contractor.jur_person
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete(
    'mnf_app.app_doc', 'id_jur_person',
    'stk_purchase.purchase_doc', 'id_jur_person',
    'stk_stocks.stock_out', 'id_jur_pers');

CREATE TRIGGER person_restrict_delete
  BEFORE DELETE ON cmn_contractor.person
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete(
    'adm_user.users', 'id_person',
    'mnf_app.app_doc', 'id_person',
    'stk_purchase.purchase_doc', 'id_person',
    'stk_stocks.stock_out', 'id_person',
    'accounts_dep.fatigue', 'id_p');

CREATE TRIGGER ii_type_restrict_delete
  BEFORE DELETE ON cmn_inventory_items.ii_type
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete('cmn_inventory_items.inventory_items', 'id_type');

CREATE TRIGGER inventory_items_restrict_delete
  BEFORE DELETE ON cmn_inventory_items.inventory_items
  FOR EACH ROW EXECUTE FUNCTION public.kiv_restrict_delete(
    'mnf_app.app_spec', 'id_ii',
    'mnf_app.app_spec', 'id_ral',
    'stk_stocks.spec_in', 'id_gds',
    'stk_stocks.spec_out', 'id_gds',
    'stk_purchase.purchase_spec', 'id_gds',
    'accounts_dep.smena', 'i_id',
    'mnf_operation.operation', 'id_inventory_items');
