-- Statement corpus of supply: the needs for bought materials and the purchase requests.
-- Format as in core.sql.

-- TForm59 gds_needed: bought materials still needed by lines not in work [rows]
select sum(as2.cnt*ii.massa) as all_gds_need,
sum(as2.cnt*ii.massa) - coalesce((select sum(s.count) as sum_cnt from stk_stocks.stock s where s.id_ii = as2.id_gds), 0) as gds_need,
ii2.marka, as2.id_gds, coalesce((select sum(s.count) as sum_cnt from stk_stocks.stock s where s.id_ii = as2.id_gds), 0) as gds_stk
from mnf_app.app_spec as2, cmn_inventory_items.inventory_items ii, cmn_inventory_items.inventory_items ii2
where ii.id=as2.id_ii and ii2.id=as2.id_gds and ii2.id_type = 0 and as2.accept=false
group by ii2.marka, as2.id_gds 

-- TForm60 purchase_doc: purchase requests with their totals [rows]
SELECT distinct pd.*, jp.s_full_caption s_jp_caption, p.s_caption s_person_caption, 
case when pd.state=0 then 'Оформление' when pd.state=1 then 'Закупка' when pd.state=2 then 'Готово' else '' end as s_state,
(select sum(ps.gds_price*ps.cnt) from stk_purchase.purchase_spec ps  where ps.id_purchase_doc = pd.id) as all_price
FROM stk_purchase.purchase_doc pd
left join cmn_contractor.jur_person jp on pd.id_jur_person = jp.id 
left join cmn_contractor.person p on pd.id_person = p.id  
order by d_date desc

-- TForm61 Button1Click: a new purchase request (tomorrow's delivery date)
INSERT INTO stk_purchase.purchase_doc( id_jur_person, id_person, d_in)VALUES(4, 13, '06.03.2024')

-- TForm61 Button1Click: a changed purchase request
UPDATE stk_purchase.purchase_doc SET id_jur_person=4, id_person=13, d_in='06.03.2024' where id=2

-- TForm60 DBGridEh1Columns2CellButtons0Click: the supplier of a request being drawn up
UPDATE stk_purchase.purchase_doc SET id_jur_person=4 where id=3

-- TForm60 Button3Click: a request deleted with its lines
delete from stk_purchase.purchase_doc where id=2

-- TForm62 purchase_spec: the lines of a request [rows]
SELECT ps.id, id_item as id_ii, ii.marka ii_s_caption, ii.id_msm, 
m.s_identification as msm_s_caption,  cnt, ps.cnt_need, id_purchase_doc, ps.state, ps.gds_price,
case when ps.state=0 then 'Оформление' when ps.state=1 then 'Закупка' else 'На складе' end as s_state
FROM stk_purchase.purchase_spec ps 
left join cmn_inventory_items.inventory_items ii on ps.id_gds = ii.id
left join cmn_msm.msm m on m.id = ii.id_msm
where ps.id_purchase_doc = 2
order by ii_s_caption, ps.id

-- TForm62 cnt_purchase: lines not ready of a request being drawn up [rows]
select count(*) as cnt from stk_purchase.purchase_spec ps, stk_purchase.purchase_doc pd where ps.state =0 and ps.id_purchase_doc =3 and pd.state =0 and pd.id=ps.id_purchase_doc

-- TForm62 DBGridEh1DblClick: a line ready for purchase
UPDATE stk_purchase.purchase_spec SET state=1 WHERE id=6

-- TForm62 DBGridEh1DblClick: a line not ready again
UPDATE stk_purchase.purchase_spec SET state=0 WHERE id=6

-- TForm62 Button3Click: a line deleted
delete from stk_purchase.purchase_spec where id=6

-- TForm62 FormCloseQuery: the request closed for editing
UPDATE stk_purchase.purchase_doc SET state=1 WHERE id=3

-- TForm63 cnt_ii: lines of an item in a request [rows]
SELECT count(ps.*) as cnt FROM stk_purchase.purchase_spec ps  where ps.id_gds =5 and ps.id_purchase_doc = 3

-- TForm63 Button5Click: the item picker of purchase lines (bought items and paints) [rows]
select ii.*, (CASE ii.ral WHEN true THEN '+' END) as s_ral, it.s_caption as s_type, n.s_caption as s_nom,  m.s_identification,
(select count(pt.id) from  mnf_proc_tech.proc_tech pt where pt.id_inventory_items = ii.id) as tp_cnt,pt2.id_gds, ii2.marka as s_caption_gds
from cmn_inventory_items.inventory_items ii
left join cmn_inventory_items.ii_type it on ii.id_type = it.id
left join cmn_inventory_items.nomenclature n on ii.id_nom = n.id
left join cmn_msm.msm m on m.id = ii.id_msm
left join mnf_proc_tech.proc_tech pt2 on ii.id=pt2.id_inventory_items
left join cmn_inventory_items.inventory_items ii2 on ii2.id=pt2.id_gds
where (ii.id_type = 3 or ii.id_type = 0) and ii.id<>0 order by ii.marka

-- TForm63 Button1Click: a new purchase line
INSERT INTO stk_purchase.purchase_spec(id_gds, cnt, id_purchase_doc, gds_price, cnt_need)VALUES(8, 10.5, 3, 320, 10.5)

-- TForm66 Button1Click: a line's quantity
UPDATE stk_purchase.purchase_spec SET cnt=8.5 where id=6

-- TForm66 Button1Click: a line's price
UPDATE stk_purchase.purchase_spec SET gds_price=540.25 where id=6
