-- Statement corpus of the shift journal: shift-record entry and save, materials, brigade,
-- deleting and accepting records. Record 1001 is today's shift-1 record of line 5 (demo data).
-- Format as in core.sql.

-- TForm11 app_spec: products with lines in production [rows]
SELECT sum(as1.cnt-as1.done) as cnt_done, sum(as1.cnt) as sum_all, sum(as1.done) as done, id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s %s'::text, ii.marka, sum(as1.cnt-as1.done)::numeric(10,2), m.s_identification) AS s_full_caption
from mnf_app.app_spec as1, cmn_inventory_items.inventory_items ii, cmn_msm.msm m where id_ii = ii.id and m.id = ii.id_msm and as1.state=2
group by id_ii, ii.marka, m.s_identification

-- TForm11 app_doc_by_gds: the lines in production of product 12 (unqualified inventory_items) [rows]
select as1.id_app_doc, as1.id as id_app_spec, (as1.cnt-as1.done) as cnt_done, as1.cnt as sum_all, done, id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s %s, Заявка №%s от %s'::text, ii.marka, (as1.cnt-as1.done)::numeric(10,2), m.s_identification, ad.id, to_char(ad.d_date, 'dd.mm.yyyy')) as s_full_caption, as1.id_ral
from mnf_app.app_doc ad, mnf_app.app_spec as1, inventory_items ii, cmn_msm.msm m where id_ii = ii.id and m.id = ii.id_msm and as1.state=2 and ad.id=as1.id_app_doc  and ii.id=12

-- TForm11 tp_operation: the unfinished route steps of line 5 [rows]
select to2.*,ot.s_caption as vid_oper, o.price, pt.id_gds from mnf_proc_tech.tp_operation to2
left join mnf_operation.operation o on o.id=to2.operation_id
left join mnf_operation.operation_type ot on ot.id = o.id_type
left join mnf_proc_tech.proc_tech pt on pt.id = to2.tp_id
where to2.app_spec_id =5 and to2.cnt> to2.done
order by to2.orderby

-- TForm11 v_mnf_requisition: product and need of record 1001 (unqualified app_doc, app_spec, inventory_items) [rows]
select as1.id_app_doc, as1.id as id_app_spec, (as1.cnt-as1.done) as cnt_done, as1.cnt as sum_all, done, id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s %s'::text, ii.marka, (s.kol_vo)::text, m.s_identification) as s_full_caption, as1.cnt-as1.done+s.kol_vo as f_qty_need
from app_doc ad, app_spec as1, inventory_items ii, cmn_msm.msm m, accounts_dep.smena s
where id_ii = ii.id and m.id = ii.id_msm and as1.state=2 and  ad.id=as1.id_app_doc  and ii.id=s.i_id and as1.id_app_doc = s.id_doc and s.id = 1001

-- TForm11 v_mnf_requisition_item: request caption of record 1001 [rows]
select format('Заявка № %s от %s', doc.id::varchar, to_char(doc.d_date, 'dd.mm.yyyy')) as s_full_caption, doc.id as id_app_spec, smena.i_id
from accounts_dep.smena smena inner join mnf_app.app_doc doc on doc.id = smena.id_doc
where smena.id=1001

-- TForm11 fio_smena_gds: the brigade of a record
select person_temp.id, person.s_caption as s_caption from accounts_dep.person_temp inner join cmn_contractor.person on person.id = person_temp.id_person where person_temp.id_smena = 1001

-- TForm11 view preparation: the request of record 1001 through the production documents [rows]
select format('Заявка № %s от %s', doc.s_number, to_char(doc.d_date, 'dd.mm.yyyy')) as s_caption, doc.id as id from accounts_dep.smena smena inner join mnf_doc.doc doc on doc.id = smena.id_doc where smena.id = 1001

-- TForm11 view preparation: the request line of record 1001 [rows]
select id::t_id, s_caption, 0::t_id as id_doc, 0::t_id as id_gds, 0::t_float as f_qty, 0::t_code as s_gds_mc from accounts_dep.get_doc_item_caption_by_smena(1001)

-- TForm11 view preparation: the product list put back [rows]
select id, s_caption from accounts_dep.v_mnf_requisition order by s_caption

-- TForm11 view preparation: the line list put back [rows]
select id, id_doc, s_caption, id_gds, f_qty, s_gds_mc from accounts_dep.v_mnf_requisition_item where f_qty>0

-- TForm11 cnt_done: what line 5 still needs [rows]
SELECT sum(as1.cnt-as1.done) as cnt_done
FROM mnf_app.app_spec as1  where id = 5

-- TForm11 tp_o: the unfinished steps of line 5 [rows]
select to2.*,ot.s_caption, o.price  from mnf_proc_tech.tp_operation to2
left join mnf_operation.operation o on o.id=to2.operation_id
left join mnf_operation.operation_type ot on ot.id = o.id_type
where to2.app_spec_id =5 and to2.cnt> to2.done
order by to2.orderby

-- TForm11 smena_gds_use: blank and paint used by 2.5 pieces on operation 10002 [rows]
select o.*, ii.marka, ii.id as id_gds, (select ii1.massa*2.5 from cmn_inventory_items.inventory_items ii1 where ii1.id = pt.id_inventory_items)::t_money as massa,
(select ral_cons*2.5 from cmn_inventory_items.inventory_items ii1 where ii1.id = pt.id_inventory_items)::t_money as ral_cons
from mnf_operation.operation o, mnf_proc_tech.proc_tech pt, cmn_inventory_items.inventory_items ii where o.id_proc_tech = pt.id and o.id = 10002 and ii.id = pt.id_gds

-- TForm11 stock_ii_ral: reservation rows of blank 9 for line 5 [rows]
select * from stk_stocks.spec_out so where id_gds =9 and
id_app_spec=5

-- TForm11 smena_max_id: the newest record [rows]
select max(id) as max_id from accounts_dep.SMENA

-- TForm11 Button1Click: the excess line counted on the step (step 4)
UPDATE mnf_app.app_spec SET done=done+2 WHERE id=8

-- TForm11 Button1Click: the excess line's route step (step 4)
UPDATE mnf_proc_tech.tp_operation SET done=done+2 WHERE app_spec_id=8 and tp_id=1 and operation_id=10002

-- TForm11 Button1Click: the chosen line counted (step 5)
UPDATE mnf_app.app_spec SET done=done+1.5 WHERE id=5

-- TForm11 Button1Click: the chosen line's route step (step 5)
UPDATE mnf_proc_tech.tp_operation SET done=done+1.5 WHERE app_spec_id=5 and tp_id=1 and operation_id=10002

-- TForm11 Button1Click: a line after its last step (step 6)
UPDATE mnf_app.app_spec SET state=3 WHERE id=5

-- TForm11 Button1Click: a line moving on to its next step (step 6)
UPDATE mnf_app.app_spec SET done=0 WHERE id=5

-- TForm11 Button1Click: the blank written off on the first step (step 12)
UPDATE stk_stocks.stock SET reserve=reserve-10, count=count-10 WHERE id_ii=9 AND id_stock=5

-- TForm11 Button1Click: the paint written off on a painting step (step 13)
UPDATE stk_stocks.stock SET reserve=reserve-3, count=count-3 WHERE id_ii=6 AND id_stock=4

-- TForm11 SmenaIU: a new shift record (step 14)
insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(9, 12, 10002, 12,1.5, 0, to_date('05.03.2024', 'DD.MM.YYYY HH24:MI:SS'), 1, 0, 8, now(), 'no', 0, 3, 5, 0, 9, 0) returning id

-- TForm11 SmenaIU: an edited record (step 20)
update accounts_dep.SMENA set w_id=8, time=6, vvod=now() where id=1001

-- TDataModule6 Control: timesheet rows of a worker, shift and month (step 23) [rows]
select count(w_id) as cnt from accounts_dep.h_tabel where w_id=9 and smena=1 and month=3 and year=2024

-- TDataModule6 Control: the worker's hours of the day (step 23) [rows]
select sum(time) as tim from accounts_dep.smena where w_id=9 and smena=1 and data=current_date group by w_id, smena, data

-- TDataModule6 Control: the worker's hours of a day in the client's date text (step 23)
select sum(time) as tim from accounts_dep.smena where w_id=9 and smena=1 and data=to_date('05.03.2024', 'DD.MM.YYYY') group by w_id, smena, data

-- TDataModule6 H_Tabel_ins: the day's cell updated (step 23)
update accounts_dep.h_tabel set d5=8 where w_id=9 and smena=1 and month=3 and year=2024

-- TDataModule6 H_Tabel_ins: the worker's first row of the month (step 23)
insert into accounts_dep.h_tabel(smena, w_id, month, year, d31) values(1, 9, 3, 2024, 8)

-- TForm24 v_cmn_gds_in: materials allowed for record 1001 [rows]
select * from accounts_dep.get_gds_from_by_smena(1001)

-- TForm24 v_id_cons_use: free quantity of blank 9 for record 1001 [rows]
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(1001, 9, 'free') res_qty;

-- TForm24 v_id_cons_use1: reserved quantity of paint 6 for record 1001 [rows]
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(1001, 6, 'reserved') res_qty;

-- TForm24 FormActivate: the captions emptied (no record -1)
select res_qty.s_full_caption
,res_qty.f_qty as f_qty_free
from accounts_dep.get_reminder_qty_by_smena(-1, 0, 'free') res_qty;

-- TForm24 operation: the text at creation [rows]
select gds_attr.f_color_qty as f_qty_from from cmn_gds_and_srv.gds_attr gds_attr where gds_attr.id = 2

-- TForm24 operation: the paint norm of product 12 [rows]
select gds_attr.f_color_qty as f_qty_from from cmn_gds_and_srv.gds_attr gds_attr where gds_attr.id = 12

-- TForm24 operation: the material norm of product 12 from blank 9 [rows]
select f_qty_from from mnf_operation.operation where id_gds_to = 12 and id_gds_from = 9

-- TForm24 sum_smena_gds_use: what record 1001 used of item 4 [rows]
select sum(f_qty_use) as sum_qty_use from accounts_dep.smena_gds_use sgu where sgu.id_smena =1001 and id_gds_use=4

-- TForm24 smena_gds_use: a material row posted through the table
insert into accounts_dep.smena_gds_use (id_smena, id_gds_use, f_qty_use) values (1001, 6, 0.75)

-- TForm45 shift journal materials: consignments of the materials of the records [rows]
select sgu.*, cons_use.s_full_caption from accounts_dep.smena_gds_use sgu left join accounts_dep.show_consignment(sgu.id_gds_use) cons_use on cons_use.id = sgu.id_cons_use

-- TForm11 ins_person: a brigade member
insert into accounts_dep.person_temp(id_smena, id_person) values(1001,8)

-- TForm11 save_all: the record divided among its worker and brigade [rows]
select accounts_dep.divide_between_person(1001)

-- TForm11 SmenaIU: a member removed
delete from accounts_dep.person_temp where id=1

-- TDataModule6 DelSmena: the brigade list dropped
delete from accounts_dep.person_temp where id_smena = 1001

-- TForm45 smena_gds_use_cnt: materials recorded against record 1001 [rows]
select count(id) as id_cnt from accounts_dep.smena_gds_use sgu where sgu.id_smena = 1001

-- TForm45 smena_accept_row: acceptance of record 1001 [rows]
select accounts_dep.smena__accept_row_hwo(1001)

-- TForm45 Button3Click: the line's counter taken back
UPDATE mnf_app.app_spec SET done=done-1 WHERE id=5

-- TForm45 Button3Click: the route step's counter taken back
UPDATE mnf_proc_tech.tp_operation SET done=done-1 WHERE app_spec_id=5 and operation_id=10002

-- TDataModule6 DelSmena: the record deleted
delete from accounts_dep.smena where id=1001

-- TDataModule6 H_Tabel_ins: the day's cell rewritten after a delete
update accounts_dep.h_tabel set d10=8 where w_id=9 and smena=1 and month=3 and year=2024

-- TDataModule6 DelSmena: the worker's row dropped when no hours remain
delete from accounts_dep.h_tabel where w_id=9 and smena=1 and month=3 and year=2024

-- TForm11 Button1Click: a new shift record, its id returned by the insert
insert into accounts_dep.SMENA(w_id, i_id, o_id, cena, kol_vo, brak, data, smena, color, time, vvod,ok, prize, id_doc, id_doc_item, f_gds_qty_use, id_gds_use, id_cons_use) values(9, 15, 10012, 2.5, 1.5, 0, '2024-03-05', 1, 0, 8, now(), 'no', 0, 3, 6, 0, 1, 0) returning id

-- TForm11 Button1Click: steps left on a line after its count (step 6) [rows]
select count(*) from mnf_proc_tech.tp_operation where app_spec_id=5 and cnt>done

-- TForm11 Button1Click: the paint of the chosen line [rows]
select id_ral from mnf_app.app_spec where id=5

-- TForm11 SaveExisting: an edited record with its worker, hours, defects and date
update accounts_dep.SMENA set w_id=8, time=6, brak=1, data='2024-03-05', vvod=now() where id=1001

-- TForm45 RewriteShiftHours: the worker's cell of a shift and day from the records [rows]
select accounts_dep.set_shift_hours(9, 1, cast('2024-03-05' as date))

-- TForm45 Button3Click: the line's counter taken back by the record's own quantity
UPDATE mnf_app.app_spec SET done=done-s.kol_vo FROM accounts_dep.smena s WHERE s.id=1001 and app_spec.id=s.id_doc_item

-- TForm45 Button3Click: the route step's counter taken back by the record's own quantity
UPDATE mnf_proc_tech.tp_operation SET done=done-s.kol_vo FROM accounts_dep.smena s WHERE s.id=1001 and tp_operation.app_spec_id=s.id_doc_item and tp_operation.operation_id=s.o_id

-- TForm11 v_mnf_requisition: product and need of record 1001 from its own line, whatever its stage [rows]
select as1.id_app_doc, as1.id as id_app_spec, (as1.cnt-as1.done) as cnt_done, as1.cnt as sum_all, done, id_ii, ii.marka as ii_s_caption, m.s_identification as msm_s_caption,
format('%s - %s %s'::text, ii.marka, (s.kol_vo)::text, m.s_identification) as s_full_caption, as1.cnt-as1.done+s.kol_vo as f_qty_need
from app_doc ad, app_spec as1, inventory_items ii, cmn_msm.msm m, accounts_dep.smena s
where id_ii = ii.id and m.id = ii.id_msm and ad.id=as1.id_app_doc and ii.id=s.i_id and as1.id = s.id_doc_item and s.id = 1001

-- TDataModule6 Smena1: the day's shift-1 records, lines without a paint item included [rows]
select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, smena.cena,person.s_caption fio, ii1.marka, ot.s_caption vid_oper, (SELECT (CASE id_state WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, o.id, smena.kol_vo, smena.brak,
round((kol_vo::numeric-brak::numeric)*smena.cena::numeric, 2) as summa, smena.prize,time, smena.ok, date(vvod) as vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use, ii.marka as s_caption_color
from accounts_dep.smena join cmn_contractor.person person on smena.w_id= person.id join cmn_inventory_items.inventory_items ii1 on smena.i_id=ii1.id
join mnf_operation.operation o on smena.o_id=o.id join mnf_operation.operation_type ot on o.id_type=ot.id
left join mnf_app.app_spec as2 on as2.id=smena.id_doc_item and as2.id_ii = ii1.id left join cmn_inventory_items.inventory_items ii on ii.id = as2.id_ral
where smena.smena=1 and smena.data=current_date and ok!='ta' order by  ii1.marka, fio,ot.s_caption, o.id
