;| block |; (defun *error* (m) (princ m) (princ))
(car 1)
(exit)
