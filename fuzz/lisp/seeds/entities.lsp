(entmake (quote ((0 . "LINE") (10 0.0 0.0 0.0) (11 1.0 2.0 0.0) (8 . "0"))))
(setq e (entlast) d (entget e))
(entmod (subst (cons 8 "X") (assoc 8 d) d))
(entdel e) (entnext) (handent "1F")
