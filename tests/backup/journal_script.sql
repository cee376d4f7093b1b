#---------------------------
# DATABASE @DATABASE@
#---------------------------
DROP DATABASE IF EXISTS @DATABASE@;
CREATE DATABASE @DATABASE@ DEFAULT CHARACTER SET cp1251;
USE @DATABASE@;

#---------------------------
# TABLE doc_list
#---------------------------
DROP TABLE IF EXISTS doc_list;
CREATE TABLE doc_list(
  Rec_IDN int(11) NOT NULL ,
  doc_source char(100),
  pr_date date,
  pr_num char(10),
  parent_name char(200),
  parent_place char(200),
  doc_caption char(100),
  doc_number char(50),
  doc_date date,
  doc_start_year int(11),
  doc_stop_year int(11),
  shtuk_count int(11),
  paper_count int(11),
  place_count int(11),
  one_count int(11),
  order_count int(11),
  expert_fio char(100),
  adv_info char(200),
  post_user char(50),
  post_moment datetime,
  PRIMARY KEY(Rec_IDN)
 ) ENGINE=MyISAM;


#
# 2 записей.
#

INSERT INTO doc_list   ( Rec_IDN, doc_source, pr_date, pr_num, parent_name, parent_place, doc_caption, doc_number, doc_date, doc_start_year, doc_stop_year, shtuk_count, paper_count, place_count, one_count, order_count, expert_fio, adv_info, post_user, post_moment )   VALUES ( 1, "Архів", "2024-03-01", NULL, "Сільрада \"Нива\"", NULL, "Опис", NULL, NULL, NULL, NULL, 7, NULL, NULL, NULL, NULL, NULL, NULL, NULL, "2024-03-01 10:00:00" ) ;
INSERT INTO doc_list   ( Rec_IDN, doc_source, pr_date, pr_num, parent_name, parent_place, doc_caption, doc_number, doc_date, doc_start_year, doc_stop_year, shtuk_count, paper_count, place_count, one_count, order_count, expert_fio, adv_info, post_user, post_moment )   VALUES ( 2, NULL, NULL, NULL, "Їжакове", NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL ) ;
#---------------------------
# TABLE sprav_adv_info
#---------------------------
DROP TABLE IF EXISTS sprav_adv_info;
CREATE TABLE sprav_adv_info(
  comment_list char(200) NOT NULL ,
  PRIMARY KEY(comment_list)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_adv_info   ( comment_list )   VALUES ( "Примітка" ) ;
#---------------------------
# TABLE sprav_doctype_list
#---------------------------
DROP TABLE IF EXISTS sprav_doctype_list;
CREATE TABLE sprav_doctype_list(
  type_name char(200) NOT NULL ,
  PRIMARY KEY(type_name)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_doctype_list   ( type_name )   VALUES ( "Опис" ) ;
#---------------------------
# TABLE sprav_expert_list
#---------------------------
DROP TABLE IF EXISTS sprav_expert_list;
CREATE TABLE sprav_expert_list(
  user_login char(20) NOT NULL ,
  FAM char(50),
  NAME char(50),
  FNAME char(50),
  edit_flag smallint(6),
  admin_flag smallint(6),
  PRIMARY KEY(user_login)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_expert_list   ( user_login, FAM, NAME, FNAME, edit_flag, admin_flag )   VALUES ( "clerk", "О\'Ґава", "Єва", "Іванівна", 1, 0 ) ;
#---------------------------
# TABLE sprav_org_list
#---------------------------
DROP TABLE IF EXISTS sprav_org_list;
CREATE TABLE sprav_org_list(
  org_name char(200) NOT NULL ,
  org_place char(200),
  PRIMARY KEY(org_name)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_org_list   ( org_name, org_place )   VALUES ( "Сільрада", "Київ" ) ;
#---------------------------
# TABLE sprav_place_list
#---------------------------
DROP TABLE IF EXISTS sprav_place_list;
CREATE TABLE sprav_place_list(
  place_name char(200) NOT NULL ,
  PRIMARY KEY(place_name)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_place_list   ( place_name )   VALUES ( "Київ" ) ;
#---------------------------
# TABLE sprav_source_list
#---------------------------
DROP TABLE IF EXISTS sprav_source_list;
CREATE TABLE sprav_source_list(
  source_name char(100) NOT NULL ,
  PRIMARY KEY(source_name)
 ) ENGINE=MyISAM;


#
# 1 записей.
#

INSERT INTO sprav_source_list   ( source_name )   VALUES ( "Архів" ) ;
