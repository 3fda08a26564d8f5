-- Schemas, domains, the build-stamp table and the general helpers of the enterprise database.
-- Applied first by db/create-database into an empty database, as the owner role kiv_owner.

CREATE SCHEMA accounts_dep;
CREATE SCHEMA adm_role;
CREATE SCHEMA adm_user;
CREATE SCHEMA cmn_classifier;
CREATE SCHEMA cmn_contractor;
CREATE SCHEMA cmn_department;
CREATE SCHEMA cmn_gds_and_srv;
CREATE SCHEMA cmn_inventory_items;
CREATE SCHEMA cmn_msm;
CREATE SCHEMA hrms_staffpos;
CREATE SCHEMA mnf_app;
CREATE SCHEMA mnf_doc;
CREATE SCHEMA mnf_operation;
CREATE SCHEMA mnf_proc_tech;
CREATE SCHEMA stk_purchase;
CREATE SCHEMA stk_stocks;

-- The client casts to these names in its statements ("now()::t_datetime", "::t_money").
CREATE DOMAIN public.t_id AS numeric(15, 0);
CREATE DOMAIN public.t_money AS numeric(15, 4);
CREATE DOMAIN public.t_boolean AS boolean;
CREATE DOMAIN public.t_float AS double precision;
CREATE DOMAIN public.t_datetime AS timestamp without time zone;
CREATE DOMAIN public.t_date AS date;
CREATE DOMAIN public.t_code AS varchar;
CREATE DOMAIN public.t_integer AS integer;

-- One row: the stamp of the newest client and the decimal delimiter of numeric literals.
-- The client edits it as a table without a key.
CREATE TABLE public.ver (
  d integer NOT NULL DEFAULT 0,
  t integer NOT NULL DEFAULT 0,
  delim varchar(255) NOT NULL DEFAULT '.'
);

-- anycompatible, so that two quoted literals resolve to text.
CREATE FUNCTION public.iif(condition boolean, when_true anycompatible, when_false anycompatible)
  RETURNS anycompatible
  LANGUAGE sql IMMUTABLE
  AS $$ SELECT CASE WHEN condition THEN when_true ELSE when_false END $$;

-- Refuses deleting a reference row that other rows still name. Arguments: pairs of
-- 'schema.table' and 'column' naming the referencing columns. Used where the referencing
-- column's type (a numeric id) differs from the key's and a foreign key cannot be declared.
CREATE FUNCTION public.kiv_restrict_delete() RETURNS trigger
  LANGUAGE plpgsql
  SET search_path = pg_catalog, public
  AS $$
DECLARE
  i integer := 0;
  found boolean;
BEGIN
  WHILE i < TG_NARGS LOOP
    EXECUTE format('SELECT EXISTS (SELECT 1 FROM %s WHERE %I = $1)', TG_ARGV[i], TG_ARGV[i + 1])
      INTO found USING OLD.id;
    IF found THEN
      RAISE foreign_key_violation USING
        MESSAGE = format('update or delete on table "%s" violates a reference from table "%s"',
                         TG_TABLE_NAME, TG_ARGV[i]),
        DETAIL = format('Key (id)=(%s) is still referenced from table "%s".', OLD.id, TG_ARGV[i]);
    END IF;
    i := i + 2;
  END LOOP;
  RETURN OLD;
END
$$;
