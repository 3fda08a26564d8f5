-- Views the screens read: department parents, request lines with their needs and free stock,
-- the shift-record lists, and the older accounting names kept as views over the current tables.

CREATE VIEW cmn_department.v_department AS
  SELECT d.id, d.s_caption
  FROM cmn_department.department d;

-- Paint consumption per unit of product, kept once in inventory_items.ral_cons.
CREATE VIEW cmn_gds_and_srv.gds_attr AS
  SELECT ii.id, ii.id AS i_id, ii.ral_cons AS f_color_qty
  FROM cmn_inventory_items.inventory_items ii;

-- Production documents heading the report by requests are the requests to production themselves:
-- shift records name them in smena.id_doc.
CREATE VIEW mnf_doc.doc AS
  SELECT ad.id, ad.id::varchar(254) AS s_number, ad.d_date, ad.id_jur_person, ad.id_person
  FROM mnf_app.app_doc ad;

-- One row per request line with its product, blank, colour, needs and the free stock of both.
CREATE VIEW mnf_app.v_app_spec AS
  WITH line AS (
    SELECT as1.*,
           coalesce(nullif(as1.id_gds, 0),
                    (SELECT pt.id_gds FROM mnf_proc_tech.proc_tech pt
                     WHERE pt.id_inventory_items = as1.id_ii ORDER BY pt.id LIMIT 1)) AS blank_id
    FROM mnf_app.app_spec as1
  )
  SELECT l.id, l.id_app_doc, l.id_ii, l.id_ral, l.blank_id::t_id AS id_gds, ii1.id_type AS id_type_gds,
         l.cnt, l.cnt AS sum_all, l.done, l.cnt - l.done AS cnt_done,
         l.price, l.cost_price, l.job_price, l.gds_price,
         l.accept, CASE WHEN l.accept THEN 'Да' ELSE 'Нет' END AS yesno,
         l.accept_stock, CASE WHEN l.accept_stock = 2 THEN 'Да' ELSE 'Нет' END AS yesno_stk,
         l.state,
         CASE l.state WHEN 0 THEN 'Оформление' WHEN 1 THEN 'Склад' WHEN 2 THEN 'Пр-во'
                      WHEN 3 THEN 'Готово' WHEN 4 THEN 'Отгрузка' WHEN 5 THEN 'Отгружено'
                      ELSE '' END AS s_state,
         ii.marka AS ii_s_caption, m.s_identification AS msm_s_caption,
         ii1.marka AS gds_s_caption, ii2.marka AS ral_s_caption,
         ii.ral_cons, ii.massa::t_money AS massa_1gds,
         (ii.massa * l.cnt)::t_money AS gds_need, (ii.massa * l.cnt)::t_money AS massa_gds,
         (ii.ral_cons * l.cnt)::t_money AS ral_need,
         coalesce((SELECT sum(s.count - s.reserve) FROM stk_stocks.stock s
                   WHERE s.id_ii = l.blank_id), 0)::t_money AS stk_gds,
         CASE WHEN l.id_ral > 0
              THEN coalesce((SELECT sum(s.count - s.reserve) FROM stk_stocks.stock s
                             WHERE s.id_ii = l.id_ral), 0)
              ELSE 0 END::t_money AS stk_ral,
         CASE WHEN ad.id_app_doc = 0 THEN NULL ELSE ad.id_app_doc END AS ad_id_app_doc,
         ad.d_mnf, ad.d_out, ad.id_jur_person, ad.id_person, ad.id_app_spec
  FROM line l
  JOIN mnf_app.app_doc ad ON ad.id = l.id_app_doc
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = l.id_ii
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  LEFT JOIN cmn_inventory_items.inventory_items ii1 ON ii1.id = l.blank_id
  LEFT JOIN cmn_inventory_items.inventory_items ii2 ON ii2.id = l.id_ral;

-- The production side's list of request lines.
CREATE VIEW mnf_app.v_app_spec55 AS
  SELECT id, cnt, done, cnt_done, id_ii, id_gds, id_type_gds, id_ral, gds_need, ral_need,
         stk_gds, stk_ral, ral_cons, accept, yesno, accept_stock, yesno_stk, job_price, gds_price,
         id_app_doc, ad_id_app_doc, d_mnf, d_out, id_jur_person, id_person, id_app_spec,
         ii_s_caption, msm_s_caption, ral_s_caption, gds_s_caption, massa_gds
  FROM mnf_app.v_app_spec;

-- Products with request lines in production (stage 2), for the shift record.
CREATE VIEW accounts_dep.v_mnf_requisition AS
  SELECT as1.id_ii AS id,
         format('%s - %s %s', ii.marka, sum(as1.cnt - as1.done)::numeric(10, 2), m.s_identification) AS s_caption
  FROM mnf_app.app_spec as1
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = as1.id_ii
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  WHERE as1.state = 2
  GROUP BY as1.id_ii, ii.marka, m.s_identification;

-- Request lines in production with what they still need, for the shift record.
CREATE VIEW accounts_dep.v_mnf_requisition_item AS
  SELECT as1.id, as1.id_app_doc AS id_doc,
         format('%s - %s %s, Заявка №%s от %s', ii.marka, (as1.cnt - as1.done)::numeric(10, 2),
                m.s_identification, ad.id, to_char(ad.d_date, 'dd.mm.yyyy')) AS s_caption,
         as1.id_ii AS id_gds, (as1.cnt - as1.done)::t_float AS f_qty,
         m.s_identification::t_code AS s_gds_mc
  FROM mnf_app.app_spec as1
  JOIN mnf_app.app_doc ad ON ad.id = as1.id_app_doc
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = as1.id_ii
  LEFT JOIN cmn_msm.msm m ON m.id = ii.id_msm
  WHERE as1.state = 2;

-- Materials issued to request lines (issue lines of stk_stocks.spec_out), per line and item.
CREATE VIEW accounts_dep.v_cmn_gds_in AS
  SELECT so.id_app_spec, so.id_gds AS id, ii.marka AS s_caption,
         CASE WHEN so.id_gds = as1.id_ral OR ii.id_type = 3 THEN 1 ELSE 0 END AS b_is_color,
         sum(so.cnt_gds)::t_money AS f_qty
  FROM stk_stocks.spec_out so
  JOIN mnf_app.app_spec as1 ON as1.id = so.id_app_spec
  JOIN cmn_inventory_items.inventory_items ii ON ii.id = so.id_gds
  WHERE so.id_app_spec > 0
  GROUP BY so.id_app_spec, so.id_gds, ii.marka, as1.id_ral, ii.id_type;

-- The older accounting names, read by the reports with the current tables' ids.
CREATE VIEW accounts_dep.workers AS
  SELECT p.id, p.s_caption AS fio
  FROM cmn_contractor.person p;

CREATE VIEW accounts_dep.inventory_items AS
  SELECT ii.id, ii.marka, ii.marka AS nom, ii.massa
  FROM cmn_inventory_items.inventory_items ii;

CREATE VIEW accounts_dep.vid_oper AS
  SELECT ot.id, ot.s_caption AS vid FROM mnf_operation.operation_type ot
  UNION ALL
  SELECT hk.id, hk.s_caption FROM accounts_dep.hourly_kind hk;

-- naimen: 0 the operation gives a finished product, 1 a blank.
CREATE VIEW accounts_dep.oper AS
  SELECT o.id, o.id_type AS vid, (CASE WHEN o.id_state = 0 THEN 0 ELSE 1 END)::smallint AS naimen,
         o.id_inventory_items AS i_id, o.price::numeric(15, 4) AS cena
  FROM mnf_operation.operation o
  UNION ALL
  SELECT hk.id, hk.id, 0::smallint, hk.id, hk.price::numeric(15, 4)
  FROM accounts_dep.hourly_kind hk;
