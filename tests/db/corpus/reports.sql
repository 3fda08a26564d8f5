-- Statement corpus of the summary reports and their Excel output over the period of the demo data.
-- Format as in core.sql.

-- TForm18 XLS_Rep: output by product and operation for Excel [rows]
select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid, inventory_items.nom, oper.naimen, color, inventory_items.massa*sum(smena.kol_vo-smena.brak) as mass
from accounts_dep.smena, accounts_dep.inventory_items, accounts_dep.vid_oper, accounts_dep.oper
where inventory_items.id=smena.i_id and vid_oper.id=oper.vid and oper.id=smena.o_id and smena.data<current_date + 1 and smena.data>=current_date - 40
group by inventory_items.nom,color, oper.naimen, vid_oper.vid, inventory_items.massa order by inventory_items.nom

-- TForm16 t_Report: report by workers (worker found by s_code) [rows]
select person.s_caption fio, sum(smena.kol_vo-smena.brak) as kolvo, sum((kol_vo-brak)*smena.cena) as summa, vid_oper.vid, inventory_items.nom, oper.naimen, color
from cmn_contractor.person person, accounts_dep.smena, accounts_dep.inventory_items, accounts_dep.vid_oper, accounts_dep.oper
where w_id=s_code::integer and inventory_items.id=smena.i_id and vid_oper.id=oper.vid and oper.id=smena.o_id and smena.data<current_date + 1 and smena.data>=current_date - 40
group by fio, inventory_items.nom, oper.naimen, vid_oper.vid, color order by fio, inventory_items.nom

-- TForm17 t_Report: report by products [rows]
select sum(smena.kol_vo-smena.brak) as kolvo, vid_oper.vid, inventory_items.nom, oper.naimen, color, round((inventory_items.massa*sum(smena.kol_vo-smena.brak))::numeric,2) as mass
from accounts_dep.smena, accounts_dep.inventory_items, accounts_dep.vid_oper, accounts_dep.oper
where inventory_items.id=smena.i_id and vid_oper.id=oper.vid and oper.id=smena.o_id and smena.data<current_date + 1 and smena.data>=current_date - 40
group by inventory_items.nom,color, oper.naimen, vid_oper.vid, inventory_items.massa order by inventory_items.nom

-- TForm20 w_Report: detailed report by workers with the bonus [corrected: the bonus names cena unqualified, which accounts_dep.oper has too] [rows]
select s_caption as fio, inventory_items.marka, vid_oper.vid, oper.naimen, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa, color, sum(prize*(kol_vo-brak)*smena.cena/100) as s_prize
from cmn_contractor.person person, accounts_dep.inventory_items, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper
where smena.o_id=oper.id and smena.w_id=s_code::integer and smena.i_id=inventory_items.id and oper.vid=vid_oper.id and smena.data<current_date + 1 and smena.data>=current_date - 40
group by fio, marka, vid_oper.vid, oper.naimen, color
order by fio, marka, vid_oper.vid, oper.naimen

-- TForm21 i_Report: detailed report by products over the current operation tables, as the screen has it [rows]
select ii.marka, vid_oper.s_caption vid, o.id_type, n.nom, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa, round((ii.massa*sum(smena.kol_vo))::numeric,2) as mass
from cmn_inventory_items.nomenclature n, cmn_inventory_items.inventory_items ii, mnf_operation.operation o, accounts_dep.smena, mnf_operation.operation_type vid_oper
where smena.o_id=o.id and smena.i_id=ii.id and o.id_type =vid_oper.id and n.id = ii.id_nom and smena.data<current_date + 1 and smena.data>=current_date - 40
group by ii.marka, vid, o.id_type , n.nom,ii.massa, o.id
order by ii.marka  ,marka, vid_oper.s_caption , o.id

-- TForm21 i_Report: the same with the kind (naimen) and colour its layout prints and the screen filters on [corrected: the screen's text selects neither naimen nor color] [rows]
select ii.marka, vid_oper.s_caption vid, o.id_type, n.nom, (case when o.id_state=0 then 0 else 1 end) as naimen, smena.color, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa, round((ii.massa*sum(smena.kol_vo))::numeric,2) as mass
from cmn_inventory_items.nomenclature n, cmn_inventory_items.inventory_items ii, mnf_operation.operation o, accounts_dep.smena, mnf_operation.operation_type vid_oper
where smena.o_id=o.id and smena.i_id=ii.id and o.id_type =vid_oper.id and n.id = ii.id_nom and smena.data<current_date + 1 and smena.data>=current_date - 40
group by ii.marka, vid, o.id_type , n.nom,ii.massa, o.id, naimen, smena.color
order by ii.marka  ,marka, vid_oper.s_caption , o.id

-- TForm25 i_Report: detailed report by production requests [rows]
select inventory_items.marka, vid_oper.vid vid, oper.naimen, inventory_items.nom, sum(smena.kol_vo) as kolvo, sum(smena.brak) as brk, sum((kol_vo-brak)*smena.cena) as summa, color, round((inventory_items.massa*sum(smena.kol_vo))::numeric,2) as mass, doc_in.s_number
from accounts_dep.inventory_items, accounts_dep.oper, accounts_dep.smena, accounts_dep.vid_oper, mnf_doc.doc doc_in
where smena.o_id=oper.id and smena.i_id=inventory_items.id and oper.vid=vid_oper.id and doc_in.id = smena.id_doc and smena.data<current_date + 1 and smena.data>=current_date - 40
group by s_number, inventory_items.nom, marka, vid_oper.vid, oper.naimen, color, massa
order by s_number, inventory_items.nom,marka, vid_oper.vid, oper.naimen
