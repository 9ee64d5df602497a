                                               Date 12-08-2026  Time  23:03:20
 Aqueous component N2     Xi = -.032      a = -11.538     b = 14.6278
    T             P            dH2O       ln(kH, bar)     K(gas=>aq)     V              Gaq           S             Cp            Gaq             S             Cp 
    C            bar           g/cc                       mol/kg/bar   cc/mol         cal/mol     cal/mol/K      cal/mol/K       J/mol         J/mol/K        J/mol/K 
  25.00         1.0            0.9970        11.391      6.268E-04     35.668         4369.5        23.617        56.844        18281.9       98.813        237.836
