-- Rights of the groups of db/roles.sql on this database's objects. Functions run only for the
-- groups named here; the clean-up only for administrators.

GRANT USAGE ON SCHEMA public, accounts_dep, adm_role, adm_user, cmn_classifier, cmn_contractor,
  cmn_department, cmn_gds_and_srv, cmn_inventory_items, cmn_msm, hrms_staffpos, mnf_app, mnf_doc,
  mnf_operation, mnf_proc_tech, stk_purchase, stk_stocks TO kiv_read;
GRANT SELECT ON ALL TABLES IN SCHEMA public, accounts_dep, adm_role, adm_user, cmn_classifier,
  cmn_contractor, cmn_department, cmn_gds_and_srv, cmn_inventory_items, cmn_msm, hrms_staffpos,
  mnf_app, mnf_doc, mnf_operation, mnf_proc_tech, stk_purchase, stk_stocks TO kiv_read;
GRANT SELECT ON ALL SEQUENCES IN SCHEMA public, accounts_dep, adm_role, adm_user, cmn_classifier,
  cmn_contractor, cmn_department, cmn_gds_and_srv, cmn_inventory_items, cmn_msm, hrms_staffpos,
  mnf_app, mnf_doc, mnf_operation, mnf_proc_tech, stk_purchase, stk_stocks TO kiv_read;
-- Nothing for logins outside the groups: no functions of any schema (now or made later), and
-- the public schema only through the groups. Connecting to the database is granted per database by
-- db/lib.sh, since a copy of a template does not inherit it.
REVOKE EXECUTE ON ALL FUNCTIONS IN SCHEMA public, accounts_dep, adm_role, adm_user, cmn_classifier,
  cmn_contractor, cmn_department, cmn_gds_and_srv, cmn_inventory_items, cmn_msm, hrms_staffpos, mnf_app,
  mnf_doc, mnf_operation, mnf_proc_tech, stk_purchase, stk_stocks FROM PUBLIC;
ALTER DEFAULT PRIVILEGES REVOKE EXECUTE ON FUNCTIONS FROM PUBLIC;
REVOKE ALL ON SCHEMA public FROM PUBLIC;

-- Every client writes its build stamp, through the function only: ver itself is read-only to them.
GRANT EXECUTE ON FUNCTION public.raise_build_stamp(integer, integer),
  public.iif(boolean, anycompatible, anycompatible),
  accounts_dep.get_gds_from_by_smena(integer),
  accounts_dep.get_reminder_qty_by_smena(integer, numeric, text),
  accounts_dep.show_consignment(numeric),
  accounts_dep.get_doc_item_caption_by_smena(integer) TO kiv_read;

-- Production work.
GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA mnf_app, stk_stocks, stk_purchase TO kiv_work;
REVOKE INSERT, UPDATE, DELETE ON stk_stocks.stk_move FROM kiv_work;
GRANT INSERT, UPDATE, DELETE ON mnf_proc_tech.tp_operation TO kiv_work;
GRANT UPDATE (ok) ON accounts_dep.smena TO kiv_work;
GRANT UPDATE (cost_price) ON cmn_inventory_items.inventory_items TO kiv_work;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA mnf_app, stk_stocks, stk_purchase TO kiv_work;
GRANT USAGE ON SEQUENCE mnf_proc_tech.tp_operation_id_seq TO kiv_work;
GRANT EXECUTE ON FUNCTION stk_purchase.ins_purch_doc(numeric, text),
  mnf_app.ins_app_spec(numeric, numeric, numeric, numeric, numeric, numeric, numeric, integer) TO kiv_work;

-- Timesheets and hourly work.
GRANT INSERT, UPDATE, DELETE ON accounts_dep.h_tabel, accounts_dep.fatigue TO kiv_timesheet;
GRANT USAGE ON SEQUENCE accounts_dep.h_tabel_id_seq, accounts_dep.fatigue_id_seq TO kiv_timesheet;

-- The shift journal.
GRANT INSERT, UPDATE, DELETE ON accounts_dep.smena, accounts_dep.smena_gds_use, accounts_dep.person_temp TO kiv_shift;
GRANT USAGE ON SEQUENCE accounts_dep.smena_id_seq, accounts_dep.smena_gds_use_id_seq,
  accounts_dep.person_temp_id_seq TO kiv_shift;
GRANT EXECUTE ON FUNCTION accounts_dep.divide_between_person(integer),
  accounts_dep.set_shift_hours(integer, integer, date) TO kiv_shift;

GRANT EXECUTE ON FUNCTION accounts_dep.smena__accept_row_hwo(integer) TO kiv_accept;

-- Reference data.
GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA cmn_contractor, cmn_department, cmn_inventory_items,
  cmn_msm, cmn_classifier, hrms_staffpos, adm_role, mnf_operation TO kiv_reference;
GRANT INSERT, UPDATE, DELETE ON mnf_proc_tech.proc_tech, accounts_dep.norm, accounts_dep.izdel,
  accounts_dep.hourly_kind TO kiv_reference;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA cmn_contractor, cmn_department, cmn_inventory_items, cmn_msm,
  cmn_classifier, hrms_staffpos, adm_role, mnf_operation TO kiv_reference;
GRANT USAGE ON SEQUENCE mnf_proc_tech.proc_tech_id_seq, accounts_dep.norm_id_seq TO kiv_reference;

-- Administration: users and the clean-up.
GRANT INSERT, UPDATE, DELETE ON ALL TABLES IN SCHEMA adm_user TO kiv_admin;
GRANT USAGE ON ALL SEQUENCES IN SCHEMA adm_user TO kiv_admin;
GRANT TRUNCATE ON ALL TABLES IN SCHEMA mnf_app, stk_stocks, stk_purchase TO kiv_admin;
GRANT TRUNCATE ON mnf_proc_tech.tp_operation, accounts_dep.smena, accounts_dep.smena_gds_use,
  accounts_dep.person_temp, accounts_dep.h_tabel TO kiv_admin;
GRANT EXECUTE ON FUNCTION public.truncate_tables(text) TO kiv_admin;
