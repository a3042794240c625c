(rtos 17.5 4 2) (distof "1'-5 1/2\"") (angtos 2.0 4 4) (strcase "ÖÐabc") (wcmatch "ABC" "A*,~B?") (substr "hello" 2 3) (atof "1e5") (itoa 2147483647) (+ 2147483647 1)
