(setq l (list 1 2.5 "s" (quote sym) (cons 1 2) (list 1 2 3)))
(mapcar (quote (lambda (x) (ext-list x 40000 -32769))) l)
(ext-first (quote (1 (2 . 3) "a")))
