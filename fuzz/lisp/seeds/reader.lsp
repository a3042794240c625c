(setq s "\e\101\n\t\"\\") (read "(1 . 2)") (quote (a . (b . (c))))
(progn (setq i 0) (while (< i 100) (setq i (1+ i))) (repeat 3 (princ i)) (foreach x (list 1 2) (print x)))
