-- Statement corpus of the timesheets: by shift and hour, the monthly grids and hourly work.
-- Dates are those of the demo data's current month unless a fixed date shows the client's text.
-- Format as in core.sql.

-- TForm19 dt: hours per worker and shift of one day [rows]
 select smena, w_id, sum(time) as tim from accounts_dep.smena where data=current_date group by smena,w_id;

-- TDataModule6 DelSmena: the month's rows deleted before a rebuild
delete from accounts_dep.h_tabel where month=3 and year=2024

-- TDataModule6 Control: rows of a worker and shift in the month (rebuild)
select count(w_id) as cnt from accounts_dep.h_tabel h_tabel where w_id=9 and smena=1 and month=3 and year=2024

-- TDataModule6 H_Tabel_ins: a day's hours written as quoted text (rebuild)
update accounts_dep.h_tabel set d5='8' where w_id=9 and smena=1 and month=3 and year=2024

-- TDataModule6 H_Tabel_ins: a worker's first hours of the month (rebuild)
insert into accounts_dep.h_tabel(smena, w_id, month, year, d5) values(2, 9, 3, 2024, 8)

-- TForm15 H_Tabel: the printed monthly timesheet of the current month [rows]
select person.s_caption fio, sum(d1) as sd1, sum(d2) as sd2, sum(d3) as sd3, sum(d4) as sd4, sum(d5) as sd5, sum(d6) as sd6, sum(d7) as sd7, sum(d8) as sd8, sum(d9) as sd9, sum(d10) as sd10, sum(d11) as sd11, sum(d12) as sd12, sum(d13) as sd13, sum(d14) as sd14, sum(d15) as sd15, sum(d16) as sd16, sum(d17) as sd17, sum(d18) as sd18, sum(d19) as sd19, sum(d20) as sd20, sum(d21) as sd21, sum(d22) as sd22, sum(d23) as sd23, sum(d24) as sd24, sum(d25) as sd25, sum(d26) as sd26, sum(d27) as sd27, sum(d28) as sd28, sum(d29) as sd29, sum(d30) as sd30, sum(d31) as sd31
from accounts_dep.h_tabel, cmn_contractor.person person
where h_tabel.w_id=person.s_code::t_integer and month=extract(month from current_date) and year=extract(year from current_date)
group by fio order by fio

-- TForm78 H_Tabel0: the piecework month grid of the current month [rows]
select p.s_caption fio, p.id, h.i_type,
(select sum(s.time) from accounts_dep.smena s where s.data<date_trunc('month', current_date) + interval '1 month' and s.data>=date_trunc('month', current_date) and s.w_id=p.id) i_time,
(select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2) from accounts_dep.smena s where s.data<date_trunc('month', current_date) + interval '1 month' and s.data>=date_trunc('month', current_date) and s.w_id=p.id) f_price,
(select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end from accounts_dep.smena s where s.data<date_trunc('month', current_date) + interval '1 month' and s.data>=date_trunc('month', current_date) and s.w_id=p.id) average_price,
sum(coalesce(h.d1,0)) d1, sum(coalesce(h.d2,0)) d2, sum(coalesce(h.d3,0)) d3, sum(coalesce(h.d4,0)) d4, sum(coalesce(h.d5,0)) d5, sum(coalesce(h.d6,0)) d6, sum(coalesce(h.d7,0)) d7, sum(coalesce(h.d8,0)) d8, sum(coalesce(h.d9,0)) d9, sum(coalesce(h.d10,0)) d10, sum(coalesce(h.d11,0)) d11, sum(coalesce(h.d12,0)) d12, sum(coalesce(h.d13,0)) d13, sum(coalesce(h.d14,0)) d14, sum(coalesce(h.d15,0)) d15, sum(coalesce(h.d16,0)) d16, sum(coalesce(h.d17,0)) d17, sum(coalesce(h.d18,0)) d18, sum(coalesce(h.d19,0)) d19, sum(coalesce(h.d20,0)) d20, sum(coalesce(h.d21,0)) d21, sum(coalesce(h.d22,0)) d22, sum(coalesce(h.d23,0)) d23, sum(coalesce(h.d24,0)) d24, sum(coalesce(h.d25,0)) d25, sum(coalesce(h.d26,0)) d26, sum(coalesce(h.d27,0)) d27, sum(coalesce(h.d28,0)) d28, sum(coalesce(h.d29,0)) d29, sum(coalesce(h.d30,0)) d30, sum(coalesce(h.d31,0)) d31
from cmn_contractor.person p, accounts_dep.h_tabel h
where h.w_id=p.id and h.year=extract(year from current_date) and h.month=extract(month from current_date) and i_type=0
group by p.id, p.s_caption, h.i_type
order by fio

-- TForm78 H_Tabel7777: the maintenance-work month grid, day and night rows [rows]
select p.s_caption fio, p.id, h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end s_night, h.i_night,
(select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<date_trunc('month', current_date) + interval '1 month' and f.d_date>=date_trunc('month', current_date) and f.id_p=p.id and f.id_o=7777 and f.i_night=h.i_night) i_time,
(select sum(f.cnt*f.price)::numeric(10,2) from accounts_dep.fatigue f where f.d_date<date_trunc('month', current_date) + interval '1 month' and f.d_date>=date_trunc('month', current_date) and f.id_p=p.id and f.id_o=7777 and f.i_night=h.i_night) f_price,
(select case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end from accounts_dep.fatigue f where f.d_date<date_trunc('month', current_date) + interval '1 month' and f.d_date>=date_trunc('month', current_date) and f.id_p=p.id and f.id_o=7777 and f.i_night=h.i_night) average_price,
sum(coalesce(h.d1,0)) d1, sum(coalesce(h.d2,0)) d2, sum(coalesce(h.d3,0)) d3, sum(coalesce(h.d31,0)) d31
from cmn_contractor.person p, accounts_dep.h_tabel h
where h.w_id=p.id and h.year=extract(year from current_date) and h.month=extract(month from current_date) and i_type=7777
group by p.id, p.s_caption, h.i_type, h.i_night
order by fio

-- TForm78 H_Tabel_all: the general month grid, shift-record and hourly hours and earnings [rows]
select p.s_caption fio, p.id,
coalesce((select sum(s.time) from accounts_dep.smena s where s.data<'01.01.2100' and s.data>='01.01.2000' and s.w_id=p.id),0)+coalesce((select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<'01.01.2100' and f.d_date>='01.01.2000' and f.id_p=p.id),0) i_time,
coalesce((select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where s.data<'01.01.2100' and s.data>='01.01.2000' and s.w_id=p.id),0)+ coalesce((select sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where f.d_date<'01.01.2100' and f.d_date>='01.01.2000' and f.id_p=p.id),0) f_price,
sum(coalesce(h.d1,0)) d1, sum(coalesce(h.d2,0)) d2, sum(coalesce(h.d31,0)) d31
from cmn_contractor.person p, accounts_dep.h_tabel h
where h.w_id=p.id and h.year=extract(year from current_date) and h.month=extract(month from current_date)
group by p.id, p.s_caption
order by fio

-- TForm78 price: the piecework total of a period [rows]
select sum((s.kol_vo-s.brak)*s.cena)::numeric(100,2) as price from accounts_dep.smena s where s.cena>0 and s.kol_vo>0 and s.data<'01.01.2100' and s.data>='01.01.2000'

-- TForm78 price7: the maintenance-work total of a period [rows]
select sum(f.cnt*f.price)::numeric(100,2) as price from accounts_dep.fatigue f where f.cnt>0 and f.price>0 and f.id_o=7777 and f.d_date<'01.01.2100' and f.d_date>='01.01.2000'

-- TForm78 all_price: the grand total of a period [rows]
select ((select sum((s.kol_vo-s.brak)*s.cena) from accounts_dep.smena s where s.cena>0 and s.kol_vo>0 and s.data<'01.01.2100' and s.data>='01.01.2000')
+ (select sum(f.cnt*f.price) from accounts_dep.fatigue f where f.cnt>0 and f.price>0 and f.d_date<'01.01.2100' and f.d_date>='01.01.2000'))::numeric(20,2) as price

-- TForm78 q_year: years of the timesheet [rows]
select distinct ht.year from accounts_dep.h_tabel ht order by year

-- TForm76 fatigue: hourly work of a day (the older names, o cross-joined) [rows]
select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ,  f.*, case when f.i_holiday=0 then '' else '+' end as s_holiday, case when f.i_night=0 then '' else '+' end as s_night
from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person p, accounts_dep.vid_oper vo, accounts_dep.oper o
where f.id_nom =i.id and p.id=f.id_p and vo.id = f.id_o and o.i_id >=7777 and o.vid >=7777 and f.d_date = current_date - 3
order by p.fio, f.id

-- TForm77 type_work: the two kinds with their hourly price from the norms [rows]
select vo.id, vo.vid, n.price, (n.price*0) as summ from accounts_dep.vid_oper vo,accounts_dep.norm n, accounts_dep.oper o 
where n.o_id =o.id and o.vid=vo.id and (vo.id = 7777 or vo.id = 7778)

-- TForm77 Button1Click: a new entry of hourly work on a Saturday night (150 x 2 x 1.2)
INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night)VALUES(5, 7777 ,10, '09.03.2024', 3, 2024, 1, 4, 360, 1, 1)

-- TForm77 Button1Click: a changed entry
UPDATE accounts_dep.fatigue SET id_nom=5, id_o=7777, id_p=10, cnt=6, price=150, i_holiday=0, i_night=0 where id=1

-- TDataModule6 Control: the worker's timesheet rows of a kind (hourly work) [rows]
select count(w_id) as cnt from accounts_dep.h_tabel where w_id=10 and i_type=7777 and month=extract(month from current_date - 3) and year=extract(year from current_date - 3) and i_night=0

-- TDataModule6 Control: the worker's hours of a kind on a day (hourly work)
select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p =10  and f.id_o=7777 and i_night=0 and f.d_date =to_date('09.03.2024', 'DD.MM.YYYY') group by f.id_p, f.d_date

-- TDataModule6 H_Tabel_ins: the hourly row of a new worker, kind and night flag
insert into accounts_dep.h_tabel(i_type, w_id, month, year, d9, i_night) values(7777, 10, 3, 2024, 4, 1)

-- TDataModule6 H_Tabel_ins: the hourly cell of a day
update accounts_dep.h_tabel set d9=4 where w_id=10 and i_type=7777 and month=3 and year=2024 and i_night=1

-- TForm76 Button7Click: an entry deleted
delete from accounts_dep.fatigue where id=1

-- TDataModule6 H_Tabel_ins: the hourly cell after a delete
update accounts_dep.h_tabel set d9=0 where w_id=10 and i_night=1 and i_type=7777 and month=3 and year=2024

-- TDataModule6 DelSmena: the hourly row dropped when no hours remain
delete from accounts_dep.h_tabel where w_id=10 and i_night=1 and i_type=7777 and month=3 and year=2024

-- TForm76 Button1Click: average piecework prices of a month (December of 2024)
UPDATE accounts_dep.fatigue f SET price=coalesce((select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else  coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) end as price  from cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, accounts_dep.person p where i.id_level =2 and s.i_id = gas.id and gas.id_class_item =i.id  and s.data<'01.1.2025' and s.data>='01.12.2024' and p.id=s.w_id and p.id=f.id_p and i.id=f.id_nom group by i.s_caption, i.id, p.id order by fio),0) where i_mnth = 12 and i_year = 2024 and id_o =7778

-- TForm19 RebuildMonthTimesheet: the month's shift rows from the records
insert into accounts_dep.h_tabel(smena, w_id, month, year, i_type, i_night, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31) select s.smena, s.w_id, 3, 2024, 0, 0, sum(case when extract(day from s.data)=1 then s.time else 0 end), sum(case when extract(day from s.data)=2 then s.time else 0 end), sum(case when extract(day from s.data)=3 then s.time else 0 end), sum(case when extract(day from s.data)=4 then s.time else 0 end), sum(case when extract(day from s.data)=5 then s.time else 0 end), sum(case when extract(day from s.data)=6 then s.time else 0 end), sum(case when extract(day from s.data)=7 then s.time else 0 end), sum(case when extract(day from s.data)=8 then s.time else 0 end), sum(case when extract(day from s.data)=9 then s.time else 0 end), sum(case when extract(day from s.data)=10 then s.time else 0 end), sum(case when extract(day from s.data)=11 then s.time else 0 end), sum(case when extract(day from s.data)=12 then s.time else 0 end), sum(case when extract(day from s.data)=13 then s.time else 0 end), sum(case when extract(day from s.data)=14 then s.time else 0 end), sum(case when extract(day from s.data)=15 then s.time else 0 end), sum(case when extract(day from s.data)=16 then s.time else 0 end), sum(case when extract(day from s.data)=17 then s.time else 0 end), sum(case when extract(day from s.data)=18 then s.time else 0 end), sum(case when extract(day from s.data)=19 then s.time else 0 end), sum(case when extract(day from s.data)=20 then s.time else 0 end), sum(case when extract(day from s.data)=21 then s.time else 0 end), sum(case when extract(day from s.data)=22 then s.time else 0 end), sum(case when extract(day from s.data)=23 then s.time else 0 end), sum(case when extract(day from s.data)=24 then s.time else 0 end), sum(case when extract(day from s.data)=25 then s.time else 0 end), sum(case when extract(day from s.data)=26 then s.time else 0 end), sum(case when extract(day from s.data)=27 then s.time else 0 end), sum(case when extract(day from s.data)=28 then s.time else 0 end), sum(case when extract(day from s.data)=29 then s.time else 0 end), sum(case when extract(day from s.data)=30 then s.time else 0 end), sum(case when extract(day from s.data)=31 then s.time else 0 end) from accounts_dep.smena s where s.data>='2024-03-01' and s.data<'2024-04-01' group by s.smena, s.w_id

-- TForm19 RebuildMonthTimesheet: the month's hourly rows from hourly work
insert into accounts_dep.h_tabel(smena, w_id, month, year, i_type, i_night, d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16, d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31) select 0, f.id_p, 3, 2024, f.id_o, f.i_night, sum(case when extract(day from f.d_date)=1 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=2 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=3 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=4 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=5 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=6 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=7 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=8 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=9 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=10 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=11 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=12 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=13 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=14 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=15 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=16 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=17 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=18 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=19 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=20 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=21 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=22 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=23 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=24 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=25 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=26 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=27 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=28 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=29 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=30 then f.cnt else 0 end), sum(case when extract(day from f.d_date)=31 then f.cnt else 0 end) from accounts_dep.fatigue f where f.d_date>='2024-03-01' and f.d_date<'2024-04-01' group by f.id_p, f.id_o, f.i_night
