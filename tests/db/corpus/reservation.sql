-- Statement corpus of the stock reservation of request lines: current production, the reservation
-- screen and its supply requests, the production side's requests and the issue to production.
-- Format as in core.sql.

-- TForm46 app_spec: the production worklist over the view of request lines [rows]
select sum(sum_all )as sum_all, state, 
case 
when state=0 then 'Оформление' 
when state=1 then 'Склад' 
when state=2 then 'Пр-во' 
when state=3 then 'Готово' 
when state=4 then 'Отгрузка' 
when state=5 then 'Отгружено' 
else '' end as s_state, 
sum(cnt_done) as cnt_done, sum(done) as done, id_ii, ii_s_caption, msm_s_caption, 
gds_s_caption, ral_s_caption, sum(gds_need) as gds_need, stk_gds, vas.id_ral
 from mnf_app.v_app_spec vas where cnt_done >0 and (state=0 or (state=1 and accept=false))
 group by state, id_ii, ii_s_caption, msm_s_caption, gds_s_caption, ral_s_caption, stk_gds, vas.id_ral 
order by ii_s_caption 

-- TForm48 app_spec: the one line of the excess road (line 5 of product 12) [rows]
SELECT distinct as1.id, case when ad1.id isnull then '' else 'В работе' end as id_ad, case when ps.id isnull then '' else 'В закупке' end as id_ps, as1.cnt-as1.done as cnt_done, as1.cnt, as1.done, as1.id_ii, as1.price, ii.marka ii_s_caption, m.s_identification as msm_s_caption, as1.id_app_doc, ii.ral_cons, as1.job_price, as1.gds_price, as1.cost_price, (ii.ral_cons*as1.cnt)::t_money as ral_need, ii2.marka as ral_s_caption, (ii.massa*as1.cnt)::t_money as gds_need, ii1.marka as gds_s_caption, ii1.id as id_gds, ii1.id_type as id_type_gds, case when ad.id_app_doc=0 then NULL else ad.id_app_doc end  as ad_id_app_doc, ad.d_mnf, ad.d_out, ad.id_jur_person, ad.id_person, ad.id_app_spec,
(select COALESCE(sum(distinct s.count-s.reserve),0) as stk_gds from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = pt.id_gds and pt.id_inventory_items = ii.id),
(select coalesce(sum(distinct s.count-s.reserve),0) as stk_ral from stk_stocks.stock s, mnf_proc_tech.proc_tech pt where s.id_ii = as1.id_ral),
case when as1.accept then 'Да' else 'Нет' end as yesno, as1.accept, (ii.massa)::t_money as massa_1gds, as1.id_ral, case when as1.accept_stock=2 then 'Да' else 'Нет' end as yesno_stk, as1.accept_stock
from cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_inventory_items.inventory_items ii1, mnf_proc_tech.proc_tech pt
left join mnf_app.app_spec as1 on as1.id_ii = 12
left join mnf_app.app_doc ad on ad.id = as1.id_app_doc 
left join cmn_inventory_items.inventory_items ii2 on ii2.id = as1.id_ral
left join mnf_app.app_doc ad1 on ad1.id_app_spec = as1.id 
left join stk_purchase.purchase_spec ps on ps.id_app_spec = as1.id 
where m.id = ii.id_msm and pt.id_inventory_items = ii.id and ii.id = 12 and ii1.id=pt.id_gds and as1.id=5
order by as1.accept, as1.id_app_doc, as1.id

-- TForm48 proc_tech: the product's process rows with the blank's stock price [rows]
SELECT pt.*, s.price, ii.marka, ii.id_type 
FROM mnf_proc_tech.proc_tech pt
left join stk_stocks.stock s on  s.id_ii = pt.id_gds
left join cmn_inventory_items.inventory_items ii on  ii.id=pt.id_gds
where pt.id_inventory_items =12

-- TForm48 price_ral: the paint's stock price [rows]
SELECT s.price FROM stk_stocks.stock s  where s.id_ii = 5

-- TForm48 app_doc: the blank-production request made for line 9 [rows]
select * from mnf_app.app_doc ad where ad.id_app_spec =9

-- TForm48 gds_needed: the blank's material [rows]
select pt.*, ii.massa 
from mnf_proc_tech.proc_tech pt, cmn_inventory_items.inventory_items ii 
where pt.id_inventory_items = 10 and ii.id = pt.id_inventory_items

-- TForm48 cost_price: an item's cost price [rows]
select ii.cost_price from cmn_inventory_items.inventory_items ii
where ii.id=10

-- TForm48 purchase_doc: an open server-made purchase request holding paint 5 [rows]
select pd.* from stk_purchase.purchase_doc pd, stk_purchase.purchase_spec ps where ps.id_gds = 5 and ps.id_purchase_doc =pd.id and pd.state=0 and is_ai=1

-- TForm48 purchase_spec: the purchase line made for line 9 [rows]
select ps.* from stk_purchase.purchase_spec ps where ps.id_app_spec =9

-- TForm48 CreateSupplyRequest: the blank-production request document (dates as the client shows them)
INSERT INTO mnf_app.app_doc(id_jur_person, id_person, d_mnf, d_out, id_app_doc, id_app_spec)VALUES(2, 12, '25.03.2024', '30.03.2024',4,7)

-- TForm48 CreateSupplyRequest: its line for the blank
INSERT INTO mnf_app.app_spec(id_ii, cnt, id_app_doc, id_ral, id_gds, price, cost_price, master_id)VALUES(11, 2.5, 6, 0,3, 4300, 2790,-1)

-- TForm48 CreateSupplyRequest: the line's stage
UPDATE mnf_app.app_spec SET state=1 WHERE id=8

-- TForm48 insert_purch_doc: a purchase request made by the server [rows]
select stk_purchase.ins_purch_doc(12, '25.03.2024')

-- TForm48 CreateSupplyRequest: the purchase line for the blank or the paint
INSERT INTO stk_purchase.purchase_spec(id_gds, cnt, id_purchase_doc, cnt_need, id_app_spec)VALUES(6, 2.5, 3, 2.5,8)

-- TForm55 app_spec: request lines on the production side [rows]
select * from mnf_app.v_app_spec55

-- TForm55 purchase_doc: the purchase request made for line 9 [rows]
select * from stk_purchase.purchase_doc pd where pd.id_app_spec =9

-- TForm55 smena: the shift records of line 5 [rows]
SELECT s.* 
FROM accounts_dep.smena s  
where s.id_doc_item = 5

-- TForm55 DBGridEh1DblClick: the blank's issue line without a warehouse
INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, d_datetime, accept, id_app_doc, id_app_spec) VALUES(9, 0, 24, 690, now()::t_datetime, false, 5, 8)

-- TForm55 DBGridEh1DblClick: the whole line reserved
UPDATE mnf_app.app_spec SET accept=true, state=1 WHERE id=8

-- TForm55 DBGridEh1DblClick: the need reserved on every stock row of the blank
UPDATE stk_stocks.stock SET reserve=reserve+24 WHERE id_ii=9

-- TForm55 DBGridEh1DblClick: a blank-production line without master_id
INSERT INTO mnf_app.app_spec(id_ii, cnt, id_app_doc, id_ral, id_gds, price, cost_price)VALUES(9, 12, 6, 0,2, 0, 690)

-- TForm55 DBGridEh1DblClick: a purchase request made for a line
INSERT INTO stk_purchase.purchase_doc(id_person, d_in, id_app_doc, id_app_spec)VALUES(12, '25.03.2024',5,8)

-- TForm55 DBGridEh1DblClick: its line without the request line
INSERT INTO stk_purchase.purchase_spec(id_gds, cnt, id_purchase_doc, cnt_need)VALUES(2, 12.5, 3, 12.5)

-- TForm55 Button1Click: the work of a line cleared
UPDATE mnf_app.app_spec SET done=0, state=2 WHERE id=5

-- TForm55 Button1Click: its route cleared
UPDATE mnf_proc_tech.tp_operation SET done=0 WHERE app_spec_id=5 and tp_id=1

-- TForm55 Button1Click: the materials returned to stock and reserved again
UPDATE stk_stocks.stock SET reserve=reserve+32, count=count+32 WHERE id_ii=9

-- TDataModule6 H_Tabel_ins: the line's shift records deleted
delete from accounts_dep.smena where id_doc_item=5

-- TForm55 Button2Click: a request for the enterprise's own stock, without lines
INSERT INTO mnf_app.app_doc(id_jur_person, id_person, d_mnf, d_out, m_id)VALUES(1, 2, '25.03.2024', '25.03.2024', 2)

-- TForm72 Stock: warehouses with free blanks 9 [rows]
SELECT d.id, d.s_caption, s.count-s.reserve as cnt, s.id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s - свободно %s %s'::text,d.s_caption, ii.marka, (s.count-s.reserve)::numeric(10,2), m.s_identification) AS s_full_caption
FROM cmn_department.department d, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, stk_stocks.stock s 
where s.id_ii = ii.id and m.id = ii.id_msm and d.id = s.id_stock and ii.id=9 and s.count-s.reserve>0

-- TForm72 ral_stock: every warehouse holding paint 7 [rows]
SELECT d.id, d.s_caption, s.count-s.reserve as cnt, s.id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s - свободно %s %s'::text,d.s_caption, ii.marka, (s.count-s.reserve)::numeric(10,2), m.s_identification) AS s_full_caption
FROM cmn_department.department d, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, stk_stocks.stock s where s.id_ii = ii.id and m.id = ii.id_msm and d.id = s.id_stock
and ii.id=7

-- TForm72 spec_out: the issue lines of line 5 [rows]
SELECT ii.marka, ii.id as ii_id, ii.id_nom, d.s_caption , id_stock_out, id_stock, cnt_gds, d_datetime, so.accept, so.id, so.id_app_doc, m.s_identification as msm_caption, as2.id_ral,
case when so.accept then 'Да' else 'Нет' end as yesno, id_app_spec, ii.ral_cons, so.price, so.price*so.cnt_gds::t_money as all_price_gds
from stk_stocks.spec_out so, cmn_inventory_items.inventory_items ii, cmn_msm.msm m, cmn_department.department d, mnf_app.app_spec as2
where ii.id = so.id_gds and ii.id_msm = m.id and d.id = so.id_stock and as2.id=id_app_spec and id_app_spec=5
order by so.accept, id_app_spec, ii.marka

-- TForm72 ral_price: the cost of the paint issued to line 5 [rows]
SELECT (so.price*so.cnt_gds)::t_money as price, so.id_stock_out 
FROM stk_stocks.spec_out so where so.id_gds = 6 and id_app_spec=5

-- TForm72 insert_app_spec: a part of line 8 split off (ordinary road) [rows]
select mnf_app.ins_app_spec(12,2.5,5, 7,9, 5100, 3950)

-- TForm72 Button1Click: the line lowered by the part split off
UPDATE mnf_app.app_spec SET cnt=cnt-2.5 WHERE id=8

-- TForm72 insert_app_spec: an excess line on the route of line 5 (excess road) [rows]
select mnf_app.ins_app_spec(12,1.5,3, 6,9, 4950, 3950,1)

-- TForm72 Button1Click: the blank's issue line of the target
INSERT INTO stk_stocks.spec_out(id_gds, id_stock_out, cnt_gds, price, d_datetime, accept, id_app_doc, id_app_spec,id_stock) VALUES(9, 0, 24, 690, now()::t_datetime, false, 5, 8, 5)

-- TForm72 Button1Click: the target reserved (ordinary road)
UPDATE mnf_app.app_spec SET accept=true, state=1 WHERE id=8

-- TForm72 Button1Click: the target in production at once (excess road)
UPDATE mnf_app.app_spec SET accept=true, state=2 WHERE id=8

-- TForm72 Button1Click: the blank reserved in the chosen warehouse
UPDATE stk_stocks.stock SET reserve=reserve+24 WHERE id_ii=9 AND id_stock=5

-- TForm72 Button1Click: the excess line's issue lines taken
UPDATE stk_stocks.spec_out SET accept=true WHERE id_app_spec=8

-- TForm72 Button1Click: the excess line's materials cost
UPDATE mnf_app.app_spec SET state=2, gds_price=16560 WHERE id=8

-- TForm72 Button1Click: the paint reserved in the chosen warehouse
UPDATE stk_stocks.stock SET reserve=reserve+7.2 WHERE id_ii=7 AND id_stock=4
