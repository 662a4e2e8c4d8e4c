-- Reference database of Vesmar: the seven tables the program reads.
-- Table and column names are exact, letter case included: the program reads
-- columns by exact name and the server keeps table names case-sensitive.
-- Every table has an auto-increment row number as its primary key, so rows
-- come back in the order they were loaded; for drglogic that order is the
-- priority of the rules, so it has no other index.

CREATE TABLE icd (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    Code VARCHAR(64) NOT NULL,
    Text VARCHAR(2000) NOT NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE DG1 (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    code VARCHAR(32) NOT NULL,
    vartype VARCHAR(16) NOT NULL,
    varval VARCHAR(64) NULL,
    KEY dg1_code_vartype (code, vartype)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE complexcl (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    code VARCHAR(32) NOT NULL,
    compl VARCHAR(32) NOT NULL,
    KEY complexcl_code_compl (code, compl)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE complcat (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    compl VARCHAR(32) NOT NULL,
    inclprop VARCHAR(64) NULL,
    KEY complcat_compl (compl)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE drglogic (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    icd VARCHAR(8) NULL,
    mdc VARCHAR(8) NULL,
    dgcat1 VARCHAR(64) NULL,
    pdgprop VARCHAR(64) NULL,
    procpro1 VARCHAR(64) NULL,
    `or` VARCHAR(8) NULL,
    sex VARCHAR(8) NULL,
    agelim VARCHAR(16) NULL,
    dgprop1 VARCHAR(64) NULL,
    dgprop2 VARCHAR(64) NULL,
    dgprop3 VARCHAR(64) NULL,
    dgprop4 VARCHAR(64) NULL,
    compl VARCHAR(8) NULL,
    disch VARCHAR(8) NULL,
    dur VARCHAR(16) NULL,
    drg VARCHAR(32) NULL
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE DRGWeight (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    DRG VARCHAR(32) NOT NULL,
    weight DECIMAL(10,4) NULL,
    KEY drgweight_drg (DRG)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;

CREATE TABLE drgnames (
    row_id INT NOT NULL AUTO_INCREMENT PRIMARY KEY,
    drg VARCHAR(32) NOT NULL,
    english VARCHAR(255) NULL,
    KEY drgnames_drg (drg)
) ENGINE=InnoDB DEFAULT CHARSET=utf8mb4;
