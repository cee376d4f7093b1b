CREATE TABLE doc_list (
  Rec_IDN INT(11) NOT NULL,
  doc_source CHAR(100) NULL,
  pr_date DATE NULL,
  pr_num CHAR(10) NULL,
  parent_name CHAR(200) NULL,
  parent_place CHAR(200) NULL,
  doc_caption CHAR(100) NULL,
  doc_number CHAR(50) NULL,
  doc_date DATE NULL,
  doc_start_year INT(11) NULL,
  doc_stop_year INT(11) NULL,
  shtuk_count INT(11) NULL,
  paper_count INT(11) NULL,
  place_count INT(11) NULL,
  one_count INT(11) NULL,
  order_count INT(11) NULL,
  expert_fio CHAR(100) NULL,
  adv_info CHAR(200) NULL,
  post_user CHAR(50) NULL,
  post_moment DATETIME NULL,
  PRIMARY KEY (Rec_IDN)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_source_list (
  source_name CHAR(100) NOT NULL,
  PRIMARY KEY (source_name)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_org_list (
  org_name CHAR(200) NOT NULL,
  org_place CHAR(200) NULL,
  PRIMARY KEY (org_name)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_place_list (
  place_name CHAR(200) NOT NULL,
  PRIMARY KEY (place_name)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_doctype_list (
  type_name CHAR(200) NOT NULL,
  PRIMARY KEY (type_name)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_expert_list (
  user_login CHAR(20) NOT NULL,
  FAM CHAR(50) NULL,
  NAME CHAR(50) NULL,
  FNAME CHAR(50) NULL,
  edit_flag SMALLINT(6) NULL,
  admin_flag SMALLINT(6) NULL,
  PRIMARY KEY (user_login)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251;

CREATE TABLE sprav_adv_info (
  comment_list CHAR(200) NOT NULL,
  PRIMARY KEY (comment_list)
) ENGINE=MyISAM DEFAULT CHARSET=cp1251
