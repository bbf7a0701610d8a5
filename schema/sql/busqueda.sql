/* Schema level 3: owners found by any word of their name. The quick search
   and the search dialog match a name from the start of each of its first six
   words (words separated by spaces), case and accents ignored: one index per
   word, on the name from that word on, in the collation that ignores case
   and accents. The expressions are written exactly as the searches write
   them, so that the engine uses these indexes (a search over a hundred
   thousand owners walks the first in name order and takes its rows from
   all six, instead of testing every name). Only indexes: a
   database at an earlier level keeps every row. */

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA1 ON EMP_PROPIETARIO
  COMPUTED BY (NOMBRE COLLATE UNICODE_CI_AI);

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA2 ON EMP_PROPIETARIO
  COMPUTED BY (SUBSTRING(NOMBRE FROM POSITION(' ' IN NOMBRE) + 1) COLLATE UNICODE_CI_AI);

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA3 ON EMP_PROPIETARIO
  COMPUTED BY (SUBSTRING(NOMBRE FROM POSITION(' ', NOMBRE, POSITION(' ' IN NOMBRE) + 1) + 1) COLLATE UNICODE_CI_AI);

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA4 ON EMP_PROPIETARIO
  COMPUTED BY (SUBSTRING(NOMBRE FROM POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ' IN NOMBRE) + 1) + 1) + 1) COLLATE UNICODE_CI_AI);

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA5 ON EMP_PROPIETARIO
  COMPUTED BY (SUBSTRING(NOMBRE FROM POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ' IN NOMBRE) + 1) + 1) + 1) + 1) COLLATE UNICODE_CI_AI);

CREATE INDEX IX_EMP_PROPIETARIO_PALABRA6 ON EMP_PROPIETARIO
  COMPUTED BY (SUBSTRING(NOMBRE FROM POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ', NOMBRE, POSITION(' ' IN NOMBRE) + 1) + 1) + 1) + 1) + 1) COLLATE UNICODE_CI_AI);
